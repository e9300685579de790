#include "SafeFile.h"

#include "AppError.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace SafeFile {
namespace {

constexpr char WorkPrefix[] = "quorbel-work-";
constexpr char NewWorkPrefix[] = "quorbel-new-";
constexpr char StagingPrefix[] = ".emfconvert-";
// A folder that never got its lock, or a converter copy never linked in (killed in
// that instant), is stale after this.
constexpr time_t UnlockedFolderAgeSeconds = 60;

QByteArray encoded(const QString &path)
{
    return path.toUtf8();
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray randomSuffix()
{
    return QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

bool writeAll(int fd, const QByteArray &bytes, off_t offset, int *err)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *err = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// A new file with a random hidden name in the folder, opened for writing.
int createHidden(const QByteArray &folder, const char *stem, mode_t mode, QByteArray *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = folder + '/' + stem + randomSuffix();
        const int fd =
            open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Whether a file moved into the folder ends as one made there would: not where the
// folder hands its group, a default access list or a security label to new files.
bool movedFilesFitIn(const QByteArray &folder)
{
    struct stat st;
    if (stat(folder.constData(), &st) != 0 || (st.st_mode & S_ISGID))
        return false;
    for (const char *attribute : {"system.posix_acl_default", "security.selinux"}) {
        if (getxattr(folder.constData(), attribute, nullptr, 0) >= 0 ||
            (errno != ENODATA && errno != ENOTSUP))
            return false;
    }
    return true;
}

// Moves a finished file of ours into the folder under a new random hidden name,
// opened for flushing; -1 when it cannot (another file system, say).
int adoptHidden(const QByteArray &ready, const QByteArray &folder, const char *stem,
                QByteArray *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = folder + '/' + stem + randomSuffix();
        if (renameat2(AT_FDCWD, ready.constData(), AT_FDCWD, name->constData(), RENAME_NOREPLACE) ==
            0) {
            const int fd = open(name->constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0)
                unlink(name->constData());
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// Every entry of an open folder, which holds only files we made.
void removeEntries(int dirFd)
{
    const int listFd = dup(dirFd);
    if (listFd < 0)
        return;
    DIR *dir = fdopendir(listFd);
    if (!dir) {
        close(listFd);
        return;
    }
    rewinddir(dir);
    while (const dirent *entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            unlinkat(dirFd, entry->d_name, 0);
    }
    closedir(dir);
}

// Writes over the file itself: its space reserved first, so a full disk leaves it
// as it was; then the new bytes, the new length, and a flush.
Outcome writeInPlace(const QByteArray &path, const struct stat &old, const QByteArray &bytes)
{
    const int fd = open(path.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return outcomeFor(errno);
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_ino != old.st_ino || st.st_dev != old.st_dev ||
        !S_ISREG(st.st_mode)) {
        close(fd);
        return Outcome::Failed;
    }
    int err = posix_fallocate(fd, 0, off_t(bytes.size()));
    if (err == 0 && !writeAll(fd, bytes, 0, &err)) {
        close(fd);
        return outcomeFor(err);
    }
    if (err == 0 && ftruncate(fd, off_t(bytes.size())) != 0)
        err = errno;
    if (err == 0 && fsync(fd) != 0)
        err = errno;
    close(fd);
    return err == 0 ? Outcome::Done : outcomeFor(err);
}

} // namespace

Outcome outcomeFor(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return Outcome::Missing;
    case EACCES:
    case EPERM:
    case EROFS:
        return Outcome::NoAccess;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Outcome::DiskFull;
    default:
        return Outcome::Failed;
    }
}

Outcome checkReadableFile(const QString &path)
{
    const QByteArray p = encoded(path);
    struct stat st;
    if (p.isEmpty() || stat(p.constData(), &st) != 0)
        return p.isEmpty() ? Outcome::Missing : outcomeFor(errno);
    if (!S_ISREG(st.st_mode))
        return Outcome::NotRegular;
    if (faccessat(AT_FDCWD, p.constData(), R_OK, AT_EACCESS) != 0)
        return Outcome::NoAccess;
    return Outcome::Done;
}

QString identityOf(const QString &path)
{
    struct stat st;
    if (path.isEmpty() || stat(encoded(path).constData(), &st) != 0)
        return {};
    return QStringLiteral("%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
}

Target resolveTarget(const QString &path)
{
    QByteArray p = encoded(path);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(p.constData(), &st) != 0) {
            const int err = errno;
            if (err == ENOENT)
                return {QString::fromUtf8(p), false, Outcome::Done};
            return {QString::fromUtf8(p), false, outcomeFor(err)};
        }
        if (!S_ISLNK(st.st_mode)) {
            return {QString::fromUtf8(p), true,
                    S_ISREG(st.st_mode) ? Outcome::Done : Outcome::NotRegular};
        }
        char text[PATH_MAX];
        const ssize_t n = readlink(p.constData(), text, sizeof text - 1);
        if (n <= 0)
            return {QString::fromUtf8(p), false, Outcome::Failed};
        const QByteArray next(text, n);
        p = next.startsWith('/') ? next : folderOf(p) + '/' + next;
    }
    return {QString::fromUtf8(p), false, Outcome::Failed};
}

Outcome replaceFile(const QString &target, const QByteArray &bytes, const QString &readyFile)
{
    const QByteArray t = encoded(target);
    struct stat old;
    bool hadFile = false;
    if (lstat(t.constData(), &old) == 0) {
        if (!S_ISREG(old.st_mode))
            return Outcome::NotRegular;
        hadFile = true;
        // Every name of a hard-linked icon must show the new one.
        if (old.st_nlink > 1)
            return writeInPlace(t, old, bytes);
        // Someone else's icon could not be handed back to them as a new file:
        // the file itself keeps its owner.
        if (old.st_uid != geteuid() && geteuid() != 0) {
            const Outcome inPlace = writeInPlace(t, old, bytes);
            if (inPlace != Outcome::NoAccess)
                return inPlace;
        }
    } else if (errno != ENOENT) {
        return outcomeFor(errno);
    }

    QByteArray hidden;
    // A file that already holds the bytes, on the same file system, is moved in
    // rather than copied: no new file to allocate, none to delete.
    const QByteArray folder = folderOf(t);
    int fd = readyFile.isEmpty() || !movedFilesFitIn(folder)
                 ? -1
                 : adoptHidden(encoded(readyFile), folder, ".quorbel-", &hidden);
    const bool adopted = fd >= 0;
    if (!adopted)
        fd = createHidden(folder, ".quorbel-", hadFile ? (old.st_mode & 0777) : 0666, &hidden);
    if (fd < 0) {
        const int err = errno;
        if (hadFile && (err == EACCES || err == EPERM))
            return writeInPlace(t, old, bytes);
        return outcomeFor(err);
    }
    auto fail = [&](int err) {
        close(fd);
        unlink(hidden.constData());
        return outcomeFor(err);
    };
    int err = 0;
    if (!adopted && !writeAll(fd, bytes, 0, &err))
        return fail(err);
    if (hadFile) {
        if (fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)!fchown(fd, uid_t(-1), old.st_gid);
        fchmod(fd, old.st_mode & 07777);
    }
    if (fsync(fd) != 0)
        return fail(errno);
    close(fd);
    if (rename(hidden.constData(), t.constData()) != 0) {
        err = errno;
        unlink(hidden.constData());
        // A sticky folder refuses to replace another's file by name.
        if (hadFile && (err == EACCES || err == EPERM))
            return writeInPlace(t, old, bytes);
        return outcomeFor(err);
    }
    return Outcome::Done;
}

WorkFolder::WorkFolder(const QString &stagingFolder)
{
    // Made under a name no cleaner looks at, locked, then given its working name:
    // a work folder is never seen unlocked while its batch lives.
    const QByteArray staging = encoded(stagingFolder);
    QByteArray made = staging + '/' + NewWorkPrefix + "XXXXXX";
    if (!mkdtemp(made.data())) {
        const int err = errno;
        throw AppError(err == EACCES || err == EPERM ? ErrorNumber::PermissionDenied
                                                     : ErrorNumber::PathNotFound,
                       QStringLiteral("Cannot create a work folder in %1: %2")
                           .arg(stagingFolder, QString::fromLocal8Bit(strerror(err))));
    }
    m_fd = open(made.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const QByteArray working = staging + '/' + WorkPrefix + made.mid(made.size() - 6);
    if (m_fd < 0 || flock(m_fd, LOCK_EX | LOCK_NB) != 0 ||
        rename(made.constData(), working.constData()) != 0) {
        const int err = errno;
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
        rmdir(made.constData());
        throw AppError(ErrorNumber::PathFileAccess,
                       QStringLiteral("Cannot prepare a work folder in %1: %2")
                           .arg(stagingFolder, QString::fromLocal8Bit(strerror(err))));
    }
    m_path = QString::fromUtf8(working);
}

WorkFolder::~WorkFolder()
{
    remove();
}

void WorkFolder::removeEntry(const QString &name) const
{
    if (m_fd >= 0)
        unlinkat(m_fd, encoded(name).constData(), 0);
}

void WorkFolder::remove()
{
    if (m_fd < 0)
        return;
    removeEntries(m_fd);
    rmdir(encoded(m_path).constData());
    close(m_fd);
    m_fd = -1;
}

void removeStaleWorkFolders(const QString &stagingFolder)
{
    const int stagingFd =
        open(encoded(stagingFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (stagingFd < 0)
        return;
    DIR *dir = fdopendir(stagingFd);
    if (!dir) {
        close(stagingFd);
        return;
    }
    const time_t now = time(nullptr);
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strncmp(name, StagingPrefix, sizeof StagingPrefix - 1) == 0) {
            // A converter copy whose writer was killed before it could link it in.
            struct stat st;
            if (fstatat(stagingFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
                st.st_uid == geteuid() && now - st.st_mtime >= UnlockedFolderAgeSeconds)
                unlinkat(stagingFd, name, 0);
            continue;
        }
        const bool working = std::strncmp(name, WorkPrefix, sizeof WorkPrefix - 1) == 0;
        const bool unlocked = std::strncmp(name, NewWorkPrefix, sizeof NewWorkPrefix - 1) == 0;
        if (!working && !unlocked)
            continue;
        struct stat st;
        if (fstatat(stagingFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != geteuid())
            continue;
        if (unlocked && now - st.st_mtime < UnlockedFolderAgeSeconds)
            continue;
        const int fd = openat(stagingFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A live batch holds its folder's lock; a killed one's lock went with it.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            removeEntries(fd);
            unlinkat(stagingFd, name, AT_REMOVEDIR);
        }
        close(fd);
    }
    closedir(dir);
}

void stageFileIfMissing(const QString &path, const QByteArray &bytes)
{
    const QByteArray p = encoded(path);
    struct stat st;
    if (lstat(p.constData(), &st) == 0)
        return;
    QByteArray hidden;
    const int fd = createHidden(folderOf(p), StagingPrefix, 0700, &hidden);
    if (fd < 0) {
        const int err = errno;
        throw AppError(
            err == EACCES || err == EPERM ? ErrorNumber::PermissionDenied
                                          : ErrorNumber::PathNotFound,
            QStringLiteral("Cannot write %1: %2").arg(path, QString::fromLocal8Bit(strerror(err))));
    }
    int err = 0;
    const bool written = writeAll(fd, bytes, 0, &err);
    if (close(fd) != 0 && written)
        err = errno;
    // A link appears whole; an existing name (another instance was quicker) is kept.
    if (err == 0 && link(hidden.constData(), p.constData()) != 0 && errno != EEXIST)
        err = errno;
    unlink(hidden.constData());
    if (err != 0)
        throw AppError(
            61,
            QStringLiteral("Cannot write %1: %2").arg(path, QString::fromLocal8Bit(strerror(err))));
}

bool isPrivateExecutable(const QString &path)
{
    struct stat st;
    if (lstat(encoded(path).constData(), &st) != 0)
        return false;
    return S_ISREG(st.st_mode) && st.st_uid == geteuid() && !(st.st_mode & (S_IWGRP | S_IWOTH));
}

bool deleteOwnFile(const QString &path)
{
    const QByteArray p = encoded(path);
    struct stat st;
    if (p.isEmpty() || lstat(p.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != geteuid())
        return false;
    return unlink(p.constData()) == 0;
}

bool makeSymbolicLink(const QString &target, const QString &linkPath)
{
    return symlink(encoded(target).constData(), encoded(linkPath).constData()) == 0;
}

bool makeHardLink(const QString &existing, const QString &newPath)
{
    return link(encoded(existing).constData(), encoded(newPath).constData()) == 0;
}

bool exists(const QString &path)
{
    struct stat st;
    return !path.isEmpty() && lstat(encoded(path).constData(), &st) == 0;
}

QByteArray readFile(const QString &path, qint64 limit)
{
    const int fd = open(encoded(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st;
    QByteArray bytes;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= limit) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = pread(fd, bytes.data() + done, size_t(bytes.size() - done), done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        bytes.resize(done);
    }
    close(fd);
    return bytes;
}

} // namespace SafeFile
