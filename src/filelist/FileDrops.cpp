#include "FileDrops.h"

#include "core/RowSource.h"
#include "platform/EventPump.h"
#include "platform/FileAttributes.h"

#include <exception>

void ListView1_OLEDragDrop(const QStringList &paths, RowList &rows, ErrorReporter &reporter,
                           const WalkSystem &system)
{
    const std::atomic_bool &stop = EventPump::quitRequested();
    for (const QString &path : paths) {
        if (stop)
            return;
        // Nothing may escape an event handler: a path that fails adds what it can.
        try {
            // A hidden folder is walked like any folder the user chose.
            const int value = system.attributes(path);
            if (value < 0 || !(value & FileSystem::Attr::Directory)) {
                rows.appendRow(path);
                continue;
            }
            walkFolderTree(path, QStringLiteral("*.*"),
                           {[&](const QStringList &files) { rows.appendRows(files); }, {}},
                           reporter, stop, system);
        } catch (const std::exception &) {
            // Drops report nothing of their own; the next path goes on.
        }
    }
}
