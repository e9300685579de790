#include "FolderWalk.h"

#include "core/ErrorTrap.h"
#include "core/PathHelpers.h"
#include "platform/AppError.h"
#include "platform/EventPump.h"

#include <QSet>

#include <algorithm>

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

QStringList WalkSystem::listFiles(const QString &folder, const QString &pattern,
                                  QStringList *undecodable) const
{
    return FileSystem::listFiles(withSeparator(folder), pattern, undecodable);
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
};

void subDirectories(QStringList &folders, bool recurse, Walk &walk)
{
    const WalkSystem &system = walk.system;
    ErrorTrap trap(walk.reporter, Location);
    const QChar sep = FileSystem::nativeSeparator();
    QStringList found;

    // First pass: list the subfolders of every entry.
    const QStringList entries = folders;
    for (const QString &folder : entries) {
        if (walk.stop)
            return;
        const int value = system.attributes(folder);
        if (!isFolderValue(value))
            continue;
        if (!FileSystem::fitsPathLimit(folder))
            continue;
        system.letEventsRun();
        if (!passesAttributeRule(system, folder, value))
            continue;
        const FileSystem::SubfolderListing listing = system.listSubfolders(folder);
        if (listing.id.known && walk.walked.contains(listing.id)) {
            folders.removeOne(folder);
            continue;
        }
        if (listing.id.known)
            walk.walked.insert(listing.id);
        for (const QString &name : listing.names) {
            system.letEventsRun();
            // A hidden folder below the chosen one holds caches and settings, not pictures.
            if (!FileSystem::fitsPathLimit(name) || HasUnsafeCharacters(name) || isHiddenName(name))
                continue;
            found << folder + name + sep;
        }
        if (walk.gaps) {
            for (const QString &name : listing.undecodable)
                walk.gaps->undecodable += !isHiddenName(name);
            // A folder that vanished meanwhile held nothing to miss.
            if (listing.error != 0 && listing.error != ErrorNumber::PathNotFound)
                walk.gaps->unreadable.append({shownFolder(folder), listing.reason});
        }
        if (listing.error == ErrorNumber::PermissionDenied ||
            listing.error == ErrorNumber::PathNotFound)
            folders.removeOne(folder);
    }

    if (recurse && !found.isEmpty())
        subDirectories(found, true, walk);

    // Final pass: output what passes the attribute rule.
    for (const QString &folder : std::as_const(found)) {
        if (walk.stop)
            return;
        trap.run(120, [&] {
            const int value = system.attributes(folder);
            if (isFolderValue(value)) {
                system.letEventsRun();
                if (passesAttributeRule(system, folder, value))
                    folders << folder;
            }
        });
    }
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

void forEachFileInTree(const QStringList &folders, const QString &pattern, const FileTreeSink &sink,
                       const WalkSystem &system, const std::atomic_bool &stop, WalkGaps *gaps)
{
    QStringList rows;
    QStringList undecodable;
    for (const QString &entry : folders) {
        if (stop)
            return;
        const QString folder = entry.left(entry.size() - 1);
        QStringList names;
        undecodable.clear();
        try {
            names = system.listFiles(folder, pattern, gaps ? &undecodable : nullptr);
        } catch (const AppError &error) {
            // One folder that cannot be read must not cost the files of the others.
            if (sink.unlistedFolder)
                sink.unlistedFolder(folder, error);
            if (gaps && std::none_of(gaps->unreadable.cbegin(), gaps->unreadable.cend(),
                                     [&](const WalkGaps::Folder &f) { return f.path == folder; }))
                gaps->unreadable.append({folder, error.description()});
        }
        for (const QString &name : std::as_const(undecodable))
            gaps->undecodable += !name.startsWith(QLatin1Char('~')) && !isHiddenName(name);
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

WalkGaps walkFolderTree(const QString &folder, const QString &pattern, const FileTreeSink &sink,
                        ErrorReporter &reporter, const std::atomic_bool &stop,
                        const WalkSystem &system)
{
    WalkGaps gaps;
    QStringList folders{folder + FileSystem::nativeSeparator()};
    GetSubDirectories2016(folders, true, reporter, system, stop, &gaps);
    forEachFileInTree(folders, pattern, sink, system, stop, &gaps);
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
