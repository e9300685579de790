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
    const int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    removeEntries(fd);
    close(fd);
    unlinkat(dirFd, name, AT_REMOVEDIR);
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
            removeEntryAt(dirFd, entry->d_name);
    }
    closedir(dir);
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
    DIR *proc = opendir("/proc");
    if (!proc || marker.isEmpty()) {
        if (proc)
            closedir(proc);
        return;
    }
    while (const dirent *entry = readdir(proc)) {
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
            kill(pid_t(pid), SIGKILL);
    }
    closedir(proc);
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
    m_childMarker = QString::fromLatin1(childMarkerFor(m_fd));
}

WorkFolder::~WorkFolder()
{
    remove();
}

bool WorkFolder::writeFile(const QString &name, const QByteArray &bytes) const
{
    const int fd = openat(m_fd, encoded(name).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    int err = 0;
    const bool written = writeAll(fd, bytes, 0, &err);
    close(fd);
    return written;
}

void WorkFolder::removeEntry(const QString &name) const
{
    if (m_fd >= 0)
        removeEntryAt(m_fd, encoded(name).constData());
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

int removeStaleWorkFolders(const QString &stagingFolder)
{
    const int stagingFd =
        open(encoded(stagingFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (stagingFd < 0)
        return 0;
    DIR *dir = fdopendir(stagingFd);
    if (!dir) {
        close(stagingFd);
        return 0;
    }
    int live = 0;
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
        if (unlocked && now - st.st_mtime < UnlockedFolderAgeSeconds) {
            ++live;
            continue;
        }
        const int fd = openat(stagingFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            ++live;
            continue;
        }
        // A live batch holds its folder's lock; a killed one's lock went with it.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            endProcessesMarkedFor(fd);
            removeEntries(fd);
            unlinkat(stagingFd, name, AT_REMOVEDIR);
        } else {
            ++live;
        }
        close(fd);
    }
    closedir(dir);
    return live;
}

} // namespace SafeFile
