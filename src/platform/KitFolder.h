// Putting a kit's files into its folder so that nothing is lost: every new file is
// written and flushed beside its place first, under a hidden name; only when all are
// written are they renamed into place, each in one step. A failure before that leaves
// the earlier kit as it was; files the kit does not make are never touched.
#pragma once

#include "FileOutcome.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace SafeFile {

struct KitFile
{
    QString path; // inside the kit's folder, "/" between folders
    QByteArray bytes;
};

struct KitPlacing
{
    Outcome outcome = Outcome::Done;
    bool folderTaken = false; // something other than a folder has the kit folder's name
    bool replaced = false;    // some file of an earlier kit was there
};

// Whether `folder` may hold a kit: Done when it is a folder or missing (its parent
// existing), folderTaken otherwise.
KitPlacing checkKitFolder(const QString &folder);

KitPlacing placeKit(const QString &folder, const QList<KitFile> &files);

} // namespace SafeFile
