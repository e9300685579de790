#include "AtomicReplace.h"

#include "DiskSync.h"
#include "IconPlace.h"
#include "PosixIo.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace SafeFile {
using namespace PosixIo;

namespace {

std::atomic<int> replacing{0};
std::atomic<bool> exiting{false};

struct Replacing
{
    Replacing()
    {
        ++replacing;
        if (exiting) {
            --replacing;
            for (;;)
                pause(); // the program ends around us
        }
    }
    ~Replacing() { --replacing; }
    Replacing(const Replacing &) = delete;
    Replacing &operator=(const Replacing &) = delete;
};

// Whether a file moved into the folder ends as one made there would: not where the
// folder hands its group, a default access list or a security label to new files.
bool movedFilesFitIn(int folder)
{
    struct stat st;
    if (fstat(folder, &st) != 0 || (st.st_mode & S_ISGID))
        return false;
    const int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool fits = true;
    for (const char *attribute : {"system.posix_acl_default", "security.selinux"}) {
        if (fgetxattr(fd, attribute, nullptr, 0) >= 0 || (errno != ENODATA && errno != ENOTSUP))
            fits = false;
    }
    close(fd);
    return fits;
}

// Moves a finished file of ours into the folder under a new random hidden name,
// opened for flushing; -1 when it cannot (another file system, say).
int adoptHidden(const QByteArray &ready, int folder, const char *stem, QByteArray *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = stem + randomSuffix();
        if (renameat2(AT_FDCWD, ready.constData(), folder, name->constData(), RENAME_NOREPLACE) ==
            0) {
            const int fd = openat(folder, name->constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0)
                unlinkat(folder, name->constData(), 0);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// Writes over the file itself: its space reserved first, so a full disk leaves it
// as it was; then the new bytes, the new length, and a flush.
Outcome writeInPlace(const IconPlace &place, const QByteArray &bytes)
{
    const int fd =
        openat(place.folder(), place.name().constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return outcomeFor(errno);
    const struct stat &old = place.file();
    struct stat st;
    const bool same = fstat(fd, &st) == 0 && st.st_ino == old.st_ino && st.st_dev == old.st_dev &&
                      S_ISREG(st.st_mode);
    if (!same || (st.st_mode & S_IWUSR) == 0) {
        close(fd);
        return same ? Outcome::ReadOnly : Outcome::Failed;
    }
    int err = posix_fallocate(fd, 0, off_t(bytes.size()));
    if (err == 0 && !writeAll(fd, bytes, 0, &err)) {
        close(fd);
        return outcomeFor(err);
    }
    if (err == 0 && ftruncate(fd, off_t(bytes.size())) != 0)
        err = errno;
    if (err == 0 && syncToDisk(fd) != 0)
        err = errno;
    close(fd);
    return err == 0 ? Outcome::Done : outcomeFor(err);
}

} // namespace

Target resolveTarget(const QString &path)
{
    const IconPlace place(encoded(path));
    return {QString::fromUtf8(place.path()), place.exists(), place.outcome()};
}

void finishReplacesBeforeExit()
{
    exiting = true;
    while (replacing > 0)
        usleep(1000);
}

Outcome replaceFile(const QString &icon, const QByteArray &bytes, const QString &readyFile)
{
    const Replacing busy;
    // Every later step acts in the folder found here and on the name found here, and
    // none follows a link, so nothing swapped in meanwhile chooses where bytes go.
    const IconPlace place(encoded(icon));
    if (place.outcome() != Outcome::Done)
        return place.outcome();
    const int folder = place.folder();
    const struct stat &old = place.file();
    const bool hadFile = place.exists();
    if (hadFile) {
        // Every name of a hard-linked icon must show the new one.
        if (old.st_nlink > 1)
            return writeInPlace(place, bytes);
        // Someone else's icon could not be handed back to them as a new file:
        // the file itself keeps its owner.
        if (old.st_uid != geteuid() && geteuid() != 0) {
            const Outcome inPlace = writeInPlace(place, bytes);
            if (inPlace != Outcome::NoAccess)
                return inPlace;
        }
    }

    QByteArray hidden;
    // A file that already holds the bytes, on the same file system, is moved in
    // rather than copied: no new file to allocate, none to delete.
    int fd = readyFile.isEmpty() || !movedFilesFitIn(folder)
                 ? -1
                 : adoptHidden(encoded(readyFile), folder, ".quorbel-", &hidden);
    const bool adopted = fd >= 0;
    if (!adopted)
        fd = createHiddenAt(folder, ".quorbel-", hadFile ? (old.st_mode & 0777) : 0666, &hidden);
    if (fd < 0) {
        const int err = errno;
        if (hadFile && isRefusal(err))
            return writeInPlace(place, bytes);
        return outcomeFor(err);
    }
    auto fail = [&](int err) {
        close(fd);
        unlinkat(folder, hidden.constData(), 0);
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
    if (syncToDisk(fd) != 0)
        return fail(errno);
    if (renameat(folder, hidden.constData(), folder, place.name().constData()) != 0) {
        err = errno;
        // Given to the icon's owner above, it must be ours again before a sticky
        // folder lets us remove it.
        (void)!fchown(fd, geteuid(), gid_t(-1));
        const Outcome failed = fail(err);
        // A sticky folder refuses to replace another's file by name.
        if (hadFile && isRefusal(err))
            return writeInPlace(place, bytes);
        return failed;
    }
    close(fd);
    // The new name survives a power cut only once the folder is on disk too. The
    // icon is in place either way; a folder that cannot be synced is not a failure.
    [[maybe_unused]] const int synced = syncToDisk(folder);
    return Outcome::Done;
}

} // namespace SafeFile
