// The files a folder PATH stands for: its tree, as "Add All PNG File(s) In Folder"
// lists it. The one place the terminal reaches the folder walk.
#pragma once

#include <QString>

class ErrorReporter;
class RowList;

// `pattern` as the button forms it: "*." and the extension ("*.*" for every file).
// Each folder that cannot be read, and the count of names that cannot be named,
// goes to `reporter`.
void appendFolderFiles(const QString &folder, const QString &pattern, RowList &rows,
                       ErrorReporter &reporter);
