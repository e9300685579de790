#include "FileDrops.h"

#include "core/RowSource.h"
#include "platform/FileSystem.h"
#include "scan/FolderWalk.h"

namespace {
// Found by a directory search that leaves out hidden and system entries, and a folder.
bool isDroppedFolder(const QString &path)
{
    const int value = FileSystem::attributes(path);
    const bool found =
        value >= 0 && !(value & (FileSystem::Attr::Hidden | FileSystem::Attr::System));
    return found && (value & FileSystem::Attr::Directory);
}
} // namespace

void ListView1_OLEDragDrop(const QStringList &paths, RowList &rows, ErrorReporter &reporter)
{
    for (const QString &path : paths) {
        if (!isDroppedFolder(path)) {
            rows.appendRow(path);
            continue;
        }
        QStringList folders{path + FileSystem::nativeSeparator()};
        GetSubDirectories2016(folders, true, reporter);
        ForEachFileInTree(folders, QStringLiteral("*.*"),
                          [&](const QStringList &files) { rows.appendRows(files); });
    }
}
