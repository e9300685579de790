#include "LevelWalk.h"

#include "core/ErrorTrap.h"
#include "platform/FileAttributes.h"
#include "platform/KnownFolders.h"

namespace LevelWalk {
namespace {
const QString Location = QStringLiteral("in Mirolt2021/08/31.AddFolder.GetSubDirectories2016 ");

constexpr int HiddenSystemFolder = 22;
constexpr int HiddenSystemJunction = 1046;

// A folder as the user would name it: without the walk's trailing separator.
QString shownFolder(const QString &entry)
{
    return entry.size() > 1 ? entry.chopped(1) : entry;
}

bool isFolderValue(int value)
{
    return value >= 0 && (value & FileSystem::Attr::Directory);
}

// The attribute value is read once and serves both the folder test and this rule.
bool passesAttributeRule(const WalkSystem &system, const QString &folder, int value)
{
    if (system.isVolumeRoot(folder))
        return true;
    return value != HiddenSystemFolder && value != HiddenSystemJunction;
}

// Descriptors a walk keeps for the level below; beyond it a parent is found
// again by its path (and checked to be the same folder).
constexpr int KeptOpenAtMost = 256;

FileSystem::FolderPlace placeOf(const Found &folder, const Level *above)
{
    return {folder.path, folder.pathBytes,
            folder.parent < 0 ? nullptr : &(*above)[size_t(folder.parent)].opened, folder.name,
            folder.id};
}

// First pass over one level: lists every folder of it that passes the rules and
// answers the level below, in listing order grouped by parent. Folders that
// cannot be listed for lack of permission, or that vanished, are marked dropped.
// False when the walk was stopped.
bool listLevel(Level &level, const Level *above, Level &below, Walk &walk)
{
    const WalkSystem &system = walk.system;
    const QChar sep = FileSystem::nativeSeparator();
    for (size_t i = 0; i < level.size(); ++i) {
        if (walk.stop)
            return false;
        Found &folder = level[i];
        if (folder.parent < 0)
            folder.value = system.attributes(folder.path);
        if (!isFolderValue(folder.value))
            continue;
        if (!FileSystem::fitsPathLimit(folder.pathBytes))
            continue;
        system.letEventsRun();
        if (!passesAttributeRule(system, folder.path, folder.value))
            continue;
        const FileSystem::FolderPlace place = placeOf(folder, above);
        const FileSystem::SubfolderListing listing = system.listSubfolders(place, &folder.opened);
        if (listing.id.known && walk.walked.contains(listing.id)) {
            folder.dropped = true;
            folder.opened.close();
            continue;
        }
        if (listing.id.known)
            walk.walked.insert(listing.id);
        if (walk.pattern && listing.error == 0) {
            folder.filesListed = true;
            try {
                folder.files = system.listFiles(place, folder.opened, *walk.pattern,
                                                walk.gaps ? &folder.undecodableFiles : nullptr);
            } catch (const AppError &error) {
                folder.filesError = error;
            }
        }
        const size_t before = below.size();
        for (qsizetype n = 0; n < listing.names.size(); ++n) {
            system.letEventsRun();
            const QString &name = listing.names.at(n);
            // A hidden folder below the chosen one holds caches and settings, not pictures.
            const qsizetype nameBytes = FileSystem::encodedSize(name);
            if (!FileSystem::fitsPathLimit(nameBytes) || HasUnsafeCharacters(name) ||
                isHiddenName(name))
                continue;
            Found sub;
            sub.path = folder.path + name + sep;
            sub.name = name;
            sub.parent = qsizetype(i);
            sub.pathBytes = folder.pathBytes + nameBytes + 1;
            sub.value =
                n < listing.values.size() ? listing.values.at(n) : system.attributes(sub.path);
            sub.id = n < listing.ids.size() ? listing.ids.at(n) : FileSystem::FolderId{};
            below.push_back(std::move(sub));
        }
        if (walk.gaps) {
            for (const QString &name : listing.undecodable)
                walk.gaps->undecodable += !isHiddenName(name);
            // A folder that vanished meanwhile held nothing to miss.
            if (listing.error != 0 && listing.error != ErrorNumber::PathNotFound)
                walk.gaps->unreadable.append({shownFolder(folder.path), listing.reason});
        }
        if (listing.error == ErrorNumber::PermissionDenied ||
            listing.error == ErrorNumber::PathNotFound)
            folder.dropped = true;
        // Kept for opening what it holds; without subfolders it is done with.
        if (below.size() > before && walk.keptOpen < KeptOpenAtMost)
            ++walk.keptOpen;
        else
            folder.opened.close();
    }
    return true;
}

void closeLevel(Level &level, Walk &walk)
{
    for (Found &folder : level) {
        if (folder.opened.isOpen()) {
            folder.opened.close();
            --walk.keptOpen;
        }
    }
}

} // namespace

bool isHiddenName(const QString &name)
{
    return name.startsWith(QLatin1Char('.'));
}

// The walk level by level, each level listed once: a tree's cost grows with its
// folders and names, not with its depth. Starting folders that cannot be listed
// leave `folders`; the levels below follow in `levels`.
bool walkLevels(QStringList &folders, bool recurse, Walk &walk, std::vector<Level> &levels)
{
    Level entries;
    for (const QString &entry : std::as_const(folders)) {
        Found folder;
        folder.path = entry;
        folder.pathBytes = FileSystem::encodedSize(entry);
        entries.push_back(std::move(folder));
    }
    levels.push_back(std::move(entries));
    for (size_t depth = 0; depth == 0 || (recurse && !levels[depth].empty()); ++depth) {
        Level below;
        const bool going =
            listLevel(levels[depth], depth == 0 ? nullptr : &levels[depth - 1], below, walk);
        if (depth > 0)
            closeLevel(levels[depth - 1], walk);
        if (!going) {
            closeLevel(levels[depth], walk);
            return false;
        }
        levels.push_back(std::move(below));
    }
    closeLevel(levels.back(), walk);
    if (levels.size() > 1)
        closeLevel(levels[levels.size() - 2], walk);
    for (const Found &entry : std::as_const(levels.front())) {
        if (entry.dropped)
            folders.removeOne(entry.path);
    }
    return true;
}

// Final pass: what passes the attribute rule, level after level.
QList<const Found *> foldersOutput(const std::vector<Level> &levels, Walk &walk)
{
    ErrorTrap trap(walk.reporter, Location);
    QList<const Found *> output;
    for (size_t depth = 1; depth < levels.size(); ++depth) {
        for (const Found &folder : levels[depth]) {
            if (walk.stop)
                return output;
            if (folder.dropped)
                continue;
            trap.run(120, [&] {
                if (isFolderValue(folder.value)) {
                    walk.system.letEventsRun();
                    if (passesAttributeRule(walk.system, folder.path, folder.value))
                        output << &folder;
                }
            });
        }
    }
    return output;
}
} // namespace LevelWalk
