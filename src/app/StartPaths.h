// `quorbel PATH...`: the window starts with the paths added as a drop adds them.
#pragma once

#include <QStringList>

class ErrorReporter;
class RowList;

// Relative paths are taken from the current folder, as the shell meant them.
void addStartPaths(const QStringList &paths, RowList &rows, ErrorReporter &reporter);
