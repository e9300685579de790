#include "StartPaths.h"

#include "core/PathHelpers.h"
#include "filelist/FileDrops.h"

void addStartPaths(const QStringList &paths, RowList &rows, ErrorReporter &reporter)
{
    QStringList absolute;
    absolute.reserve(paths.size());
    for (const QString &path : paths)
        absolute << absolutePath(path);
    ListView1_OLEDragDrop(absolute, rows, reporter);
}
