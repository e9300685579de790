#include "FolderWalk.h"

#include "LevelWalk.h"

#include "core/PathHelpers.h"
#include "platform/AppError.h"
#include "platform/EventPump.h"
#include "platform/KnownFolders.h"

#include <algorithm>
#include <optional>
#include <vector>

using namespace LevelWalk;

namespace {
QString withSeparator(const QString &folder)
{
    return folder.endsWith(FileSystem::nativeSeparator()) ? folder
                                                          : folder + FileSystem::nativeSeparator();
}
} // namespace

QStringList WalkSystem::listFiles(const FileSystem::FolderPlace &place,
                                  const FileSystem::OpenFolder &opened, const QString &pattern,
                                  QStringList *undecodable) const
{
    if (opened.isOpen())
        return FileSystem::listFiles(opened, pattern, undecodable);
    return FileSystem::listFiles(withSeparator(place.path), pattern, undecodable);
}

void WalkSystem::letEventsRun() const
{
    EventPump::letEventsRunThrottled();
}

const WalkSystem &WalkSystem::real()
{
    static const WalkSystem system;
    return system;
}

void GetSubDirectories2016(QStringList &folders, bool recurse, ErrorReporter &reporter,
                           const WalkSystem &system, const std::atomic_bool &stop, WalkGaps *gaps)
{
    Walk walk{reporter, system, stop, {}, gaps};
    std::vector<Level> levels;
    if (!walkLevels(folders, recurse, walk, levels))
        return;
    for (const Found *folder : foldersOutput(levels, walk))
        folders << folder->path;
}

QStringList ListFilesInFolder(const QString &folder, const QString &pattern)
{
    // The listing keeps regular files only (after links), without opening each one.
    return FileSystem::listFiles(withSeparator(folder), pattern);
}

bool HasUnsafeCharacters(const QString &name)
{
    // Every name that decodes can be named here; "?" is an ordinary character.
    // Control characters stay out: they would garble every message naming the path.
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 32 || (u >= 127 && u <= 159))
            return true;
    }
    return false;
}

namespace {
// Hands each folder's files to the sink in the walk's order: those listed while
// the walk held the folder open, else listed now by its path.
void emitFiles(const QList<std::pair<QString, const Found *>> &folders, const QString &pattern,
               const FileTreeSink &sink, const WalkSystem &system, const std::atomic_bool &stop,
               WalkGaps &gaps)
{
    QStringList rows;
    for (const auto &[entry, found] : folders) {
        if (stop)
            return;
        const QString folder = entry.left(entry.size() - 1);
        QStringList names;
        QStringList undecodable;
        std::optional<AppError> failure;
        if (found && found->filesListed) {
            names = found->files;
            undecodable = found->undecodableFiles;
            failure = found->filesError;
        } else {
            try {
                names = system.listFiles({entry, 0, nullptr, {}, {}}, FileSystem::OpenFolder(),
                                         pattern, &undecodable);
            } catch (const AppError &error) {
                failure = error;
            }
        }
        if (failure) {
            // One folder that cannot be read must not cost the files of the others.
            if (sink.unlistedFolder)
                sink.unlistedFolder(folder, *failure);
            if (std::none_of(gaps.unreadable.cbegin(), gaps.unreadable.cend(),
                             [&](const WalkGaps::Folder &f) { return f.path == folder; }))
                gaps.unreadable.append({folder, failure->description()});
        }
        for (const QString &name : std::as_const(undecodable))
            gaps.undecodable += !name.startsWith(QLatin1Char('~')) && !isHiddenName(name);
        rows.clear();
        rows.reserve(names.size());
        for (const QString &name : std::as_const(names)) {
            if (name.startsWith(QLatin1Char('~')))
                continue;
            const QString path = fileRowText(folder, name);
            if (system.isHiddenFile(path))
                continue;
            rows << path;
        }
        if (!rows.isEmpty())
            sink.files(rows);
        // A tree of many thousand folders must not freeze the window meanwhile.
        system.letEventsRun();
    }
}
} // namespace

WalkGaps walkFolderTree(const QString &folder, const QString &pattern, const FileTreeSink &sink,
                        ErrorReporter &reporter, const std::atomic_bool &stop,
                        const WalkSystem &system)
{
    WalkGaps gaps;
    Walk walk{reporter, system, stop, {}, &gaps, &pattern};
    QStringList entries{folder + FileSystem::nativeSeparator()};
    std::vector<Level> levels;
    if (!walkLevels(entries, true, walk, levels))
        return gaps;
    QList<std::pair<QString, const Found *>> folders;
    for (const QString &entry : std::as_const(entries)) {
        const Found *found = nullptr;
        for (const Found &start : levels.front()) {
            if (start.path == entry && !start.dropped)
                found = &start;
        }
        folders.append({entry, found});
    }
    for (const Found *found : foldersOutput(levels, walk))
        folders.append({found->path, found});
    emitFiles(folders, pattern, sink, system, stop, gaps);
    return gaps;
}

QString fileRowText(const QString &folder, const QString &name)
{
    QString path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    path += FileSystem::nativeSeparator();
    path += name;
    return CollapseBackslashes(path);
}
