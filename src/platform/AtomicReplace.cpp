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
    const UniqueFd fd(openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return false;
    for (const char *attribute : {"system.posix_acl_default", "security.selinux"}) {
        if (fgetxattr(fd.get(), attribute, nullptr, 0) >= 0 ||
            (errno != ENODATA && errno != ENOTSUP))
            return false;
    }
    return true;
}

// Moves a finished file of ours into the folder under a new random hidden name,
// opened for flushing; none when it cannot (another file system, say).
UniqueFd adoptHidden(const QByteArray &ready, int folder, const char *stem, QByteArray *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = stem + randomSuffix();
        if (renameat2(AT_FDCWD, ready.constData(), folder, name->constData(), RENAME_NOREPLACE) ==
            0) {
            UniqueFd fd(openat(folder, name->constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
            // Not opened, it is not ours to flush: put back out of sight. A name
            // that stays is hidden and holds only our own bytes.
            if (!fd)
                static_cast<void>(unlinkat(folder, name->constData(), 0));
            return fd;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

// Writes over the file itself: its space reserved first, so a full disk leaves it
// as it was; then the new bytes, the new length, and a flush.
Outcome writeInPlace(const IconPlace &place, const QByteArray &bytes)
{
    const UniqueFd fd(
        openat(place.folder(), place.name().constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return outcomeFor(errno);
    const struct stat &old = place.file();
    struct stat st;
    const bool same = fstat(fd.get(), &st) == 0 && st.st_ino == old.st_ino &&
                      st.st_dev == old.st_dev && S_ISREG(st.st_mode);
    if (!same || (st.st_mode & S_IWUSR) == 0)
        return same ? Outcome::ReadOnly : Outcome::Failed;
    if (const int err = posix_fallocate(fd.get(), 0, off_t(bytes.size())); err != 0)
        return outcomeFor(err);
    if (const Status written = writeAll(fd.get(), bytes, 0); !written)
        return outcomeFor(written.error().number);
    if (ftruncate(fd.get(), off_t(bytes.size())) != 0)
        return outcomeFor(errno);
    if (const Status synced = syncToDisk(fd.get()); !synced)
        return outcomeFor(synced.error().number);
    return Outcome::Done;
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
    UniqueFd fd = readyFile.isEmpty() || !movedFilesFitIn(folder)
                      ? UniqueFd()
                      : adoptHidden(encoded(readyFile), folder, ".quorbel-", &hidden);
    const bool adopted = fd.isOpen();
    if (!adopted) {
        Result<UniqueFd> made =
            createHiddenAt(folder, ".quorbel-", hadFile ? (old.st_mode & 0777) : 0666, &hidden);
        if (!made) {
            const int err = made.error().number;
            if (hadFile && isRefusal(err))
                return writeInPlace(place, bytes);
            return outcomeFor(err);
        }
        fd = std::move(made).value();
    }
    auto fail = [&](int err) {
        fd.reset();
        // The icon is as it was either way; a hidden leftover holds only new bytes.
        static_cast<void>(unlinkat(folder, hidden.constData(), 0));
        return outcomeFor(err);
    };
    if (!adopted) {
        if (const Status written = writeAll(fd.get(), bytes, 0); !written)
            return fail(written.error().number);
    }
    if (hadFile) {
        // Best effort, as a copy by hand would be: the new icon keeps what of the
        // old one's owner and group this user may give it.
        if (fchown(fd.get(), old.st_uid, old.st_gid) != 0)
            static_cast<void>(!fchown(fd.get(), uid_t(-1), old.st_gid));
        static_cast<void>(!fchmod(fd.get(), old.st_mode & 07777));
    }
    if (const Status synced = syncToDisk(fd.get()); !synced)
        return fail(synced.error().number);
    if (renameat(folder, hidden.constData(), folder, place.name().constData()) != 0) {
        const int err = errno;
        // Given to the icon's owner above, it must be ours again before a sticky
        // folder lets us remove it; if it cannot be, the unlink below says so.
        static_cast<void>(!fchown(fd.get(), geteuid(), gid_t(-1)));
        const Outcome failed = fail(err);
        // A sticky folder refuses to replace another's file by name.
        if (hadFile && isRefusal(err))
            return writeInPlace(place, bytes);
        return failed;
    }
    fd.reset();
    // The new name survives a power cut only once the folder is on disk too. The
    // icon is in place either way; a folder that cannot be synced is not a failure.
    static_cast<void>(syncToDisk(folder));
    return Outcome::Done;
}

} // namespace SafeFile
