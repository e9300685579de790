// "Add All PNG File(s) In Folder": every file of a folder tree whose extension
// the user names.
#pragma once

#include "scan/FolderWalk.h"

#include <QString>
#include <functional>

class Dialogs;
class ErrorReporter;
class RowList;
class Settings;
class QWidget;

struct AddFolderServices
{
    Dialogs &dialogs;
    Settings &settings;
    RowList &rows;
    ErrorReporter &reporter;
    QWidget *owner = nullptr;
    QString title;
    std::function<void(int)> setPointer;
    std::function<bool()> isConverting;                  // a conversion batch is running
    std::function<void(const QString &)> hint = nullptr; // a passing note over the list
    const WalkSystem &system = WalkSystem::real();
};

void addAllFilesInFolder(const AddFolderServices &services);

// Appends to `rows` every file below `folder` that matches `pattern`.
void addFolderTree(const QString &folder, const QString &pattern, RowList &rows,
                   ErrorReporter &reporter, const WalkSystem &system = WalkSystem::real());
