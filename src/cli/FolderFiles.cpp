#include "FolderFiles.h"

#include "scan/AddFolder.h"

void AppendFolderFiles(const QString &folder, const QString &pattern, RowList &rows,
                       ErrorReporter &reporter)
{
    AddFolderTree(folder, pattern, rows, reporter);
}
