// Splitting and tidying paths, and the file procedures every part of the program uses.
#pragma once

#include <QString>

class RowSource;

QString FileNameOf(const QString &path);
QString FolderOf(const QString &path);
QString StripExtension(const QString &name);
// Doubled separators become one; a path keeps one leading separator.
QString CollapseBackslashes(const QString &path);
// A path taken from the current folder, as the shell meant it.
QString absolutePath(const QString &path);

bool PathExists(const QString &path);
bool IsFolder(const QString &path);
bool ListContains(const RowSource &list, const QString &text);
