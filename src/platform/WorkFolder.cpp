#include "WorkFolder.h"

#include "AppError.h"
#include "PosixIo.h"
#include "StagedFile.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdlib>
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

constexpr char WorkPrefix[] = "quorbel-work-";
constexpr char NewWorkPrefix[] = "quorbel-new-";
// A folder that never got its lock, or a converter copy never linked in (killed in
// that instant), is stale after this.
constexpr time_t UnlockedFolderAgeSeconds = 60;

void removeEntries(int dirFd);

// One entry we made: a file, or a job's folder with what is in it.
void removeEntryAt(int dirFd, const char *name)
{
    if (unlinkat(dirFd, name, 0) == 0 || errno != EISDIR)
        return;
    const UniqueFd fd(openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return;
    removeEntries(fd.get());
    // What cannot go goes with the work folder, or as stale at a later start.
    static_cast<void>(unlinkat(dirFd, name, AT_REMOVEDIR));
}

// Every entry of an open folder, which holds only files we made.
void removeEntries(int dirFd)
{
    const DirStream dir = readFolder(UniqueFd(fcntl(dirFd, F_DUPFD_CLOEXEC, 0)));
    if (!dir)
        return;
    rewinddir(dir.get());
    while (const dirent *entry = readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            removeEntryAt(dirFd, entry->d_name);
    }
}

// The setting every child of a batch carries: the identity of the batch's folder,
// which no other folder has while that one exists.
QByteArray childMarkerFor(int folderFd)
{
    struct stat st;
    if (fstat(folderFd, &st) != 0)
        return {};
    return QByteArray("QUORBEL_WORK=") + QByteArray::number(quint64(st.st_dev)) + ':' +
           QByteArray::number(quint64(st.st_ino));
}

// Ends every process of ours that a killed program's batch started: the converters
// and any helper they started (ImageMagick's delegates), wherever they went since.
// Parent-death signals reach only the direct child; the inherited marker reaches all,
// and only them: a shell of the user's that works in the folder lacks it.
void endProcessesMarkedFor(int folderFd)
{
    const QByteArray marker = childMarkerFor(folderFd);
    if (marker.isEmpty())
        return;
    const DirStream proc(opendir("/proc"));
    if (!proc)
        return;
    while (const dirent *entry = readdir(proc.get())) {
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || pid == getpid())
            continue;
        const QByteArray base = QByteArray("/proc/") + entry->d_name;
        struct stat st;
        if (stat(base.constData(), &st) != 0 || st.st_uid != geteuid())
            continue;
        QFile environment(QString::fromLatin1(base + "/environ"));
        if (!environment.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> settings = environment.readAll().split('\0');
        if (settings.contains(marker))
            static_cast<void>(kill(pid_t(pid), SIGKILL)); // gone already: nothing to end
    }
}

} // namespace

WorkFolder::WorkFolder(const QString &stagingFolder)
{
    // Made under a name no cleaner looks at, locked, then given its working name:
    // a work folder is never seen unlocked while its batch lives.
    const QByteArray staging = encoded(stagingFolder);
    QByteArray made = staging + '/' + NewWorkPrefix + "XXXXXX";
    if (!mkdtemp(made.data())) {
        const int err = errno;
        throw AppError(isRefusal(err) ? ErrorNumber::PermissionDenied : ErrorNumber::PathNotFound,
                       QStringLiteral("Cannot create a work folder in %1: %2")
                           .arg(stagingFolder, QString::fromLocal8Bit(strerror(err))));
    }
    m_fd.reset(open(made.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const QByteArray working = staging + '/' + WorkPrefix + made.mid(made.size() - 6);
    if (!m_fd || flock(m_fd.get(), LOCK_EX | LOCK_NB) != 0 ||
        rename(made.constData(), working.constData()) != 0) {
        const int err = errno;
        m_fd.reset();
        static_cast<void>(rmdir(made.constData())); // unlocked, it is stale in a minute
        throw AppError(ErrorNumber::PathFileAccess,
                       QStringLiteral("Cannot prepare a work folder in %1: %2")
                           .arg(stagingFolder, QString::fromLocal8Bit(strerror(err))));
    }
    m_path = QString::fromUtf8(working);
    m_childMarker = QString::fromLatin1(childMarkerFor(m_fd.get()));
}

WorkFolder::~WorkFolder()
{
    remove();
}

Status WorkFolder::writeFile(const QString &name, const QByteArray &bytes) const
{
    const UniqueFd fd(openat(m_fd.get(), encoded(name).constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd)
        return lastSysError();
    return writeAll(fd.get(), bytes, 0);
}

void WorkFolder::removeEntry(const QString &name) const
{
    if (m_fd)
        removeEntryAt(m_fd.get(), encoded(name).constData());
}

void WorkFolder::remove()
{
    if (!m_fd)
        return;
    removeEntries(m_fd.get());
    // Still locked until the descriptor goes: a folder left is removed as stale later.
    static_cast<void>(rmdir(encoded(m_path).constData()));
    m_fd.reset();
}

int removeStaleWorkFolders(const QString &stagingFolder)
{
    const DirStream dir = readFolder(
        UniqueFd(open(encoded(stagingFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!dir)
        return 0;
    const int stagingFd = dirfd(dir.get());
    int live = 0;
    const time_t now = time(nullptr);
    while (const dirent *entry = readdir(dir.get())) {
        const char *name = entry->d_name;
        if (std::strncmp(name, StagingPrefix, sizeof StagingPrefix - 1) == 0) {
            // A converter copy whose writer was killed before it could link it in.
            struct stat st;
            if (fstatat(stagingFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
                st.st_uid == geteuid() && now - st.st_mtime >= UnlockedFolderAgeSeconds)
                static_cast<void>(unlinkat(stagingFd, name, 0)); // tried again next start
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
        if (unlocked && now - st.st_mtime < UnlockedFolderAgeSeconds) {
            ++live;
            continue;
        }
        const UniqueFd fd(openat(stagingFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        // A live batch holds its folder's lock; a killed one's lock went with it.
        if (fd && flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            endProcessesMarkedFor(fd.get());
            removeEntries(fd.get());
            static_cast<void>(unlinkat(stagingFd, name, AT_REMOVEDIR)); // as above
        } else {
            ++live;
        }
    }
    return live;
}

} // namespace SafeFile
