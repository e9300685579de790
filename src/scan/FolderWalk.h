// Turning folders into file paths: the breadth-first walk, file matching by
// wildcard and the screen for unsafe folder names.
#pragma once

#include "platform/FileAttributes.h"
#include "platform/FolderListing.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

class AppError;
class ErrorReporter;

// What the walk asks of the system; tests replace it to inject failures. Each
// folder below a starting one is reached through its parent's descriptor.
class WalkSystem
{
public:
    virtual ~WalkSystem() = default;
    virtual int attributes(const QString &path) const { return FileSystem::attributes(path); }
    virtual bool isVolumeRoot(const QString &path) const { return FileSystem::isVolumeRoot(path); }
    // Opens the folder at `place`, keeps it in `opened` and lists its subfolders.
    virtual FileSystem::SubfolderListing listSubfolders(const FileSystem::FolderPlace &place,
                                                        FileSystem::OpenFolder *opened) const
    {
        return FileSystem::listSubfolders(place, opened);
    }
    // The files of one folder that match `pattern`, from `opened` when it is open,
    // else by the place's path; AppError when it cannot be read.
    virtual QStringList listFiles(const FileSystem::FolderPlace &place,
                                  const FileSystem::OpenFolder &opened, const QString &pattern,
                                  QStringList *undecodable = nullptr) const;
    // The hidden bit of a listed file's attribute value.
    virtual bool isHiddenFile(const QString &path) const { return FileSystem::isHiddenFile(path); }
    virtual void letEventsRun() const;

    static const WalkSystem &real();
};

// A stop flag that never turns.
inline const std::atomic_bool NeverStop{false};

// What a walk had to leave out. The window passes over it in silence; the
// terminal names it, so that a script learns that files are missing.
struct WalkGaps
{
    struct Folder
    {
        QString path;
        QString reason;
    };
    QList<Folder> unreadable;
    // Files and folders whose names are not valid UTF-8.
    int undecodable = 0;
};

// Appends the subfolders below the entries of `folders` (every level when
// `recurse`), breadth first; drops entries that cannot be listed for lack of
// permission or because they vanished. Entries end with a separator. Links to
// folders and hidden folders are not entered; the entries themselves may be either.
void GetSubDirectories2016(QStringList &folders, bool recurse, ErrorReporter &reporter,
                           const WalkSystem &system = WalkSystem::real(),
                           const std::atomic_bool &stop = NeverStop, WalkGaps *gaps = nullptr);

QStringList ListFilesInFolder(const QString &folder, const QString &pattern);
bool HasUnsafeCharacters(const QString &name);

// Where a walk hands its findings.
struct FileTreeSink
{
    // The rows of one folder's matching files, in listing order.
    std::function<void(const QStringList &paths)> files;
    // A folder whose files could not be listed; when empty it is left out silently.
    std::function<void(const QString &folder, const AppError &error)> unlistedFolder;
};

// The one walk of a folder tree, for "Add All PNG File(s) In Folder", drops and
// anything else that needs a tree's files: `folder` (no trailing separator) and
// every folder below it, breadth first, each folder's files matching `pattern`
// ("*.png"; "*.*" for every file) handed to `sink` one folder at a time. The
// walk's own failures go to `reporter`; it stops soon after `stop` is set.
// Answers what it had to leave out.
WalkGaps walkFolderTree(const QString &folder, const QString &pattern, const FileTreeSink &sink,
                        ErrorReporter &reporter, const std::atomic_bool &stop = NeverStop,
                        const WalkSystem &system = WalkSystem::real());

QString fileRowText(const QString &folder, const QString &name);
