#include "FolderWalk.h"

#include "core/ErrorTrap.h"
#include "core/PathHelpers.h"
#include "platform/AppError.h"
#include "platform/EventPump.h"

namespace {
const QString Location = QStringLiteral("in Mirolt2021/08/31.AddFolder.GetSubDirectories2016 ");

constexpr int HiddenSystemFolder = 22;
constexpr int HiddenSystemJunction = 1046;
constexpr int HiddenArchive = 34;

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

void WalkSystem::letEventsRun() const
{
    EventPump::LetEventsRunThrottled();
}

const WalkSystem &WalkSystem::real()
{
    static const WalkSystem system;
    return system;
}

void GetSubDirectories2016(QStringList &folders, bool recurse, ErrorReporter &reporter,
                           const WalkSystem &system)
{
    ErrorTrap trap(reporter, Location);
    const QChar sep = FileSystem::nativeSeparator();
    QStringList found;

    // First pass: list the subfolders of every entry.
    const QStringList entries = folders;
    for (const QString &folder : entries) {
        const int value = system.attributes(folder);
        if (!isFolderValue(value))
            continue;
        if (folder.size() >= MaxPathChars)
            continue;
        system.letEventsRun();
        if (!passesAttributeRule(system, folder, value))
            continue;
        const FileSystem::SubfolderListing listing = system.listSubfolders(folder);
        for (const QString &name : listing.names) {
            system.letEventsRun();
            if (name.size() >= MaxPathChars || HasUnsafeCharacters(name) ||
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
        GetSubDirectories2016(found, true, reporter, system);

    // Final pass: output what passes the attribute rule.
    for (const QString &folder : std::as_const(found)) {
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

QString FileRowText(const QString &folder, const QString &name)
{
    QString path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    path += FileSystem::nativeSeparator();
    path += name;
    return CollapseBackslashes(path);
}

bool IsHiddenArchive(const QString &path)
{
    return FileSystem::attributes(path) == HiddenArchive;
}
