// File operations of the conversion engine that must hold up against crashes,
// full disks, links and other instances: a private work folder per batch, the
// staged converter, and replacing an icon so that it is never seen half-written.
#pragma once

#include <QByteArray>
#include <QString>

namespace SafeFile {

enum class Outcome
{
    Done,
    Missing,    // the path (or its folder) does not exist
    NotRegular, // a folder, FIFO, device or socket
    NoAccess,   // refused: permission or a read-only file system
    DiskFull,
    Failed // anything else
};

// What a failed system call's error number means here.
Outcome outcomeFor(int err);

// What stands at a path once links are followed.
Outcome checkReadableFile(const QString &path);
// Device and inode of an existing file, empty when it cannot be read.
QString identityOf(const QString &path);

// Where a write to `path` lands: the end of any chain of links, also when that
// end does not exist yet (a dangling link). `outcome` is Done, NotRegular (something
// other than a file stands there) or the error met on the way.
struct Target
{
    QString path;
    bool exists = false;
    Outcome outcome = Outcome::Done;
};
Target resolveTarget(const QString &path);

// Puts `bytes` at the target: written to a new hidden file beside it (the old
// file's permissions, owner and group), flushed to disk and renamed over it, so the
// old file stays whole until that instant. Written in place instead, with its space
// reserved first, when the folder refuses new files or the file has several links.
// `readyFile`, a file of ours holding exactly `bytes`, may be moved in as the new
// file instead of writing one; it is gone afterwards when it was.
Outcome replaceFile(const QString &target, const QByteArray &bytes,
                    const QString &readyFile = QString());

// A batch's own folder inside the staging folder, created 0700 and locked for as
// long as this object lives; removed with everything in it at the end.
class WorkFolder
{
public:
    // Throws AppError when it cannot be made.
    explicit WorkFolder(const QString &stagingFolder);
    ~WorkFolder();
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    QString path() const { return m_path; }
    // The open folder, for making and removing entries by plain name.
    int descriptor() const { return m_fd; }
    // Removes one file in the folder, by its plain name.
    void removeEntry(const QString &name) const;
    void remove();

private:
    QString m_path;
    int m_fd = -1;
};

// Removes the work folders of batches whose program has gone (their lock is free)
// and converter copies that a killed program never finished staging.
void removeStaleWorkFolders(const QString &stagingFolder);

// Writes the file unless one is already there; it appears whole or not at all,
// so another instance never starts a half-written converter. Throws AppError.
void stageFileIfMissing(const QString &path, const QByteArray &bytes);
// A regular file, not a link, ours, closed to writing by group and others.
bool isPrivateExecutable(const QString &path);
// Deletes the file only when it is a regular file that belongs to this user.
bool deleteOwnFile(const QString &path);

bool makeSymbolicLink(const QString &target, const QString &linkPath);
bool makeHardLink(const QString &existing, const QString &newPath);
bool exists(const QString &path);
// The whole file, or empty when it cannot be read or is larger than `limit`.
QByteArray readFile(const QString &path, qint64 limit);

} // namespace SafeFile
