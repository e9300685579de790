// Files and folders dropped on the list: a file is one row, a folder every file
// of its tree.
#pragma once

#include "scan/FolderWalk.h"

#include <QStringList>

class ErrorReporter;
class RowList;

void ListView1_OLEDragDrop(const QStringList &paths, RowList &rows, ErrorReporter &reporter,
                           const WalkSystem &system = WalkSystem::real());
