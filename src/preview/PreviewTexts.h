// Every word the preview shows a person, in one place, through tr().
#pragma once

#include "PreviewModel.h"

#include <QCoreApplication>
#include <QString>

class PreviewTexts
{
    Q_DECLARE_TR_FUNCTIONS(Preview)

public:
    static QString windowTitle(const QString &fileName);
    static QString entrySize(const PreviewEntry &entry);
    static QString storage(IcoFile::Storage storage);
    static QString bytes(qint64 bytes);
    static QString origin(const PreviewEntry &entry);
    // What a screen reader says of an entry: "16 by 16 pixels, bitmap, 1.1 KB, from
    // logo-16.png".
    static QString accessibleName(const PreviewEntry &entry);
    static QString note(const PreviewNote &note);
    // Why nothing is shown: a malformed icon, or a picture not converted.
    static QString problem(const PreviewModel &model);
    static QString converting();
    static QString waitingForBatch();
    static QString saveEntries();
    static QString saveEntriesPrompt();
    static QString overwrite(const QStringList &names);
    static QString saved(int count, const QString &folder);
    static QString notSaved(const QString &name);
    static QString magnification();
    static QString grid();
    static QString notes();
};
