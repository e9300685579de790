// Turning folders into file paths: the breadth-first walk, file matching by
// wildcard, the existence test and the screen for unsafe folder names.
#pragma once

#include "platform/EventPump.h"
#include "platform/FileSystem.h"

#include <QString>
#include <QStringList>

class ErrorReporter;

// What the walk asks of the system; tests replace it to inject failures.
class WalkSystem
{
public:
    virtual ~WalkSystem() = default;
    virtual int attributes(const QString &path) const { return FileSystem::attributes(path); }
    virtual bool isVolumeRoot(const QString &path) const { return FileSystem::isVolumeRoot(path); }
    virtual FileSystem::SubfolderListing listSubfolders(const QString &folder) const
    {
        return FileSystem::listSubfolders(folder);
    }
    virtual void letEventsRun() const;

    static const WalkSystem &real();
};

inline constexpr int MaxPathChars = 260;

// Appends the subfolders below the entries of `folders` (every level when
// `recurse`), breadth first; drops entries that cannot be listed for lack of
// permission or because they vanished. Entries end with a separator.
void GetSubDirectories2016(QStringList &folders, bool recurse, ErrorReporter &reporter,
                           const WalkSystem &system = WalkSystem::real());

QStringList ListFilesInFolder(const QString &folder, const QString &pattern);
bool IsExistingFile(const QString &path);
bool HasUnsafeCharacters(const QString &name);

// Every file below a folder, as adding a folder or dropping one lists them: the
// folder's own files first, then level by level; names starting with "~" and
// hidden regular files (attribute value 34) left out. `append` takes the rows
// of one folder at a time; window events run between folders now and then.
template <class Append>
void ForEachFileInTree(const QStringList &folders, const QString &pattern, Append &&append);
QString FileRowText(const QString &folder, const QString &name);
bool IsHiddenArchive(const QString &path);

template <class Append>
void ForEachFileInTree(const QStringList &folders, const QString &pattern, Append &&append)
{
    QStringList rows;
    for (const QString &entry : folders) {
        const QString folder = entry.left(entry.size() - 1);
        const QStringList names = ListFilesInFolder(folder, pattern);
        rows.clear();
        rows.reserve(names.size());
        for (const QString &name : names) {
            if (name.startsWith(QLatin1Char('~')))
                continue;
            // ListFilesInFolder answered IsExistingFile for this very path already;
            // only a name with a leading dot can carry the hidden bit.
            const QString path = FileRowText(folder, name);
            if (name.startsWith(QLatin1Char('.')) && IsHiddenArchive(path))
                continue;
            rows << path;
        }
        append(rows);
        // A tree of many thousand folders must not freeze the window meanwhile.
        EventPump::LetEventsRunThrottled();
    }
}
