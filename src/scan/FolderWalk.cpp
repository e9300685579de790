#include "FolderWalk.h"

#include "core/ErrorTrap.h"
#include "core/PathHelpers.h"
#include "platform/AppError.h"
#include "platform/EventPump.h"
#include "platform/KnownFolders.h"

#include <QSet>

#include <algorithm>
#include <optional>
#include <vector>

namespace {
const QString Location = QStringLiteral("in Mirolt2021/08/31.AddFolder.GetSubDirectories2016 ");

constexpr int HiddenSystemFolder = 22;
constexpr int HiddenSystemJunction = 1046;

QString withSeparator(const QString &folder)
{
    return folder.endsWith(FileSystem::nativeSeparator()) ? folder
                                                          : folder + FileSystem::nativeSeparator();
}

// A folder as the user would name it: without the walk's trailing separator.
QString shownFolder(const QString &entry)
{
    return entry.size() > 1 ? entry.chopped(1) : entry;
}

bool isHiddenName(const QString &name)
{
    return name.startsWith(QLatin1Char('.'));
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

namespace {
// Descriptors a walk keeps for the level below; beyond it a parent is found
// again by its path (and checked to be the same folder).
constexpr int KeptOpenAtMost = 256;

// One folder the walk found: where it is, what its listing gave.
struct Found
{
    QString path; // with its trailing separator
    QString name;
    qsizetype parent = -1; // in the level above; -1 for a starting folder
    qsizetype pathBytes = 0;
    int value = -1;
    FileSystem::FolderId id;
    FileSystem::OpenFolder opened;
    bool dropped = false;
    // Its matching files, listed from the same descriptor as its subfolders.
    bool filesListed = false;
    QStringList files;
    QStringList undecodableFiles;
    std::optional<AppError> filesError;
};
using Level = std::vector<Found>;

struct Walk
{
    ErrorReporter &reporter;
    const WalkSystem &system;
    const std::atomic_bool &stop;
    // Folders listed so far: one reached again (a bind mount, or a chosen link that
    // leads into its own tree) must not start the same descent again, and its
    // files must not come twice.
    QSet<FileSystem::FolderId> walked;
    WalkGaps *gaps;
    const QString *pattern = nullptr; // list each folder's files too
    int keptOpen = 0;
};

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

void subDirectories(QStringList &folders, bool recurse, Walk &walk)
{
    std::vector<Level> levels;
    if (!walkLevels(folders, recurse, walk, levels))
        return;
    for (const Found *folder : foldersOutput(levels, walk))
        folders << folder->path;
}
} // namespace

void GetSubDirectories2016(QStringList &folders, bool recurse, ErrorReporter &reporter,
                           const WalkSystem &system, const std::atomic_bool &stop, WalkGaps *gaps)
{
    Walk walk{reporter, system, stop, {}, gaps};
    subDirectories(folders, recurse, walk);
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
