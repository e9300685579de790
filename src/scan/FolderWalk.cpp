#include "FolderWalk.h"

#include "core/ErrorTrap.h"
#include "core/PathHelpers.h"
#include "platform/AppError.h"
#include "platform/EventPump.h"

#include <QSet>

namespace {
const QString Location = QStringLiteral("in Mirolt2021/08/31.AddFolder.GetSubDirectories2016 ");

constexpr int HiddenSystemFolder = 22;
constexpr int HiddenSystemJunction = 1046;

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

QStringList WalkSystem::listFiles(const QString &folder, const QString &pattern) const
{
    return ListFilesInFolder(folder, pattern);
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
    // Folders listed so far: a link back to one of them must not start the same
    // descent again, and its files must not come twice.
    QSet<FileSystem::FolderId> walked;
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
            if (!FileSystem::fitsPathLimit(name) || HasUnsafeCharacters(name) ||
                name.contains(QLatin1Char('?')) || name == QLatin1String(".") ||
                name == QLatin1String(".."))
                continue;
            found << folder + name + sep;
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
                           const WalkSystem &system, const std::atomic_bool &stop)
{
    Walk walk{reporter, system, stop, {}};
    subDirectories(folders, recurse, walk);
}

bool IsExistingFile(const QString &path)
{
    return FileSystem::isExistingFile(path);
}

QStringList ListFilesInFolder(const QString &folder, const QString &pattern)
{
    QString dir = folder;
    if (!dir.endsWith(FileSystem::nativeSeparator()))
        dir += FileSystem::nativeSeparator();
    // The listing already keeps regular files only (after links): the same answer
    // IsExistingFile gives for each of them, without opening every file again.
    return FileSystem::listFiles(dir, pattern);
}

bool HasUnsafeCharacters(const QString &name)
{
    // Through code page 1252: codes below 32, 127 to 159, and "?" (also what every
    // character outside the code page becomes) are unsafe. What maps to 160..255
    // in that code page are exactly the characters U+00A0..U+00FF.
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool safe = (u >= 32 && u < 127 && u != u'?') || (u >= 0xA0 && u <= 0xFF);
        if (!safe)
            return true;
    }
    return false;
}

void forEachFileInTree(const QStringList &folders, const QString &pattern, const FileTreeSink &sink,
                       const WalkSystem &system, const std::atomic_bool &stop)
{
    QStringList rows;
    for (const QString &entry : folders) {
        if (stop)
            return;
        const QString folder = entry.left(entry.size() - 1);
        QStringList names;
        try {
            names = system.listFiles(folder, pattern);
        } catch (const AppError &error) {
            // One folder that cannot be read must not cost the files of the others.
            if (sink.unlistedFolder)
                sink.unlistedFolder(folder, error);
        }
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

void walkFolderTree(const QString &folder, const QString &pattern, const FileTreeSink &sink,
                    ErrorReporter &reporter, const std::atomic_bool &stop, const WalkSystem &system)
{
    QStringList folders{folder + FileSystem::nativeSeparator()};
    GetSubDirectories2016(folders, true, reporter, system, stop);
    forEachFileInTree(folders, pattern, sink, system, stop);
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
