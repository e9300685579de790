// Pictures a designer drew for one size of an icon: beside "logo.png", the files
// "logo-16.png", "logo_16.PNG", "logo-16x16.svg" or "logo_32X32.png" give the 16 and
// 32 px entries of "logo.ico" when those sizes are listed. Pure functions over a
// folder's names, so the rules are the same wherever the names come from.
#pragma once

#include "CommandLine.h"
#include "IconSize.h"
#include "core/Failure.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// For each listed size that has one, the name of its picture among `folderNames`
// (letters in any case). A name that is not a picture the converter reads is
// passed over, as is an icon.
QMap<int, QString> perSizePictures(const QString &pictureName, const QStringList &folderNames,
                                   const QList<int> &sizes);

// The base name ("logo") and size (16) that `name` would be the picture of, when
// it has the shape of one; the caller looks for "logo.*" itself.
struct PerSizeName
{
    QString base;
    int size = 0;
};
std::optional<PerSizeName> perSizeNameOf(const QString &name);

// A batch's view of the rules: its rows and the folders it has listed.
class PerSizeFinder
{
public:
    PerSizeFinder() = default;
    // Finds nothing unless the size is a list; `rowPaths`: the batch's rows.
    PerSizeFinder(const QStringList &rowPaths, const IconSize &size);
    struct Found
    {
        QMap<int, PictureInput> pictures; // by size
        Failure fault; // why the icon cannot be made of them, naming the file at fault
    };
    // The designer's own pictures for `source`, as job `job` reads them
    // ("in-<job>-<size>").
    Found picturesFor(const QString &source, int job);
    // The rows whose icons `source` is one of these pictures of; empty when none.
    QStringList baseRowsOf(const QString &source);
    // Why such a picture cannot be used; none when it can.
    Failure faultOf(const QString &path);

private:
    const QStringList &namesIn(const QString &folder);
    PictureInput inspect(const QString &path, const QString &inputName);

    QSet<QString> m_rowPaths;
    QList<int> m_sizes;
    QHash<QString, QStringList> m_folderNames;
    QHash<QString, Failure> m_faults; // by path, none for a usable picture
};
