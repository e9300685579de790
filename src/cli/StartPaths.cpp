#include "StartPaths.h"

#include "filelist/FileDrops.h"

#include <QDir>

QString absolutePath(const QString &path)
{
    // Not cleaned: "link/.." must keep meaning what the shell meant.
    return QDir::current().absoluteFilePath(path);
}

void addStartPaths(const QStringList &paths, RowList &rows, ErrorReporter &reporter)
{
    QStringList absolute;
    absolute.reserve(paths.size());
    for (const QString &path : paths)
        absolute << absolutePath(path);
    ListView1_OLEDragDrop(absolute, rows, reporter);
}
