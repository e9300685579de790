// Putting a new settings file in place: written beside the old one, flushed to
// disk and renamed over it, each step checked, so that any failure (a full disk)
// leaves the old file byte for byte.
#include "SettingsStore.h"

#include "PosixIo.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// In the user's words; the system's reason only where the file and folder allow.
QString whyNotWritten(const QString &fileName, const QString &systemReason)
{
    const QFileInfo file(fileName);
    if (systemReason.isEmpty() || (file.exists() && !file.isWritable()))
        return QStringLiteral("the file may not be written");
    if (!QFileInfo(file.absolutePath()).isWritable())
        return QStringLiteral("its folder may not be written");
    return QStringLiteral("the file cannot be written (%1)").arg(systemReason);
}
} // namespace

SettingsFileCalls SettingsFileCalls::system()
{
    return {[](const char *path, int flags, mode_t mode) { return ::open(path, flags, mode); },
            ::write, ::fsync, ::close, ::rename};
}

Result<void, QString> SettingsStore::replaceFile(const QString &file, const QByteArray &bytes) const
{
    // A link is kept and its target replaced, as QSaveFile did.
    const QFileInfo info(file);
    const QByteArray target = QFile::encodeName(info.isSymLink() ? info.canonicalFilePath() : file);
    struct stat old;
    const bool existed = stat(target.constData(), &old) == 0;
    // Renaming over a file the user may not write would override its mode.
    if (existed && faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return Failed{whyNotWritten(file, QString())};
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = target + ".new-" + PosixIo::randomSuffix();
        fd = m_calls.open(temporary.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Failed{whyNotWritten(file, QString::fromLocal8Bit(strerror(errno)))};
    int err = existed && fchmod(fd, old.st_mode & 07777) != 0 ? errno : 0;
    for (qsizetype done = 0; !err && done < bytes.size();) {
        const ssize_t n = m_calls.write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0 || errno != EINTR)
            err = n == 0 ? EIO : errno;
    }
    if (!err && m_calls.fsync(fd) != 0)
        err = errno;
    // close() reports what a file system (NFS, a quota) kept back until then.
    if (m_calls.close(fd) != 0 && !err)
        err = errno;
    if (!err && m_calls.rename(temporary.constData(), target.constData()) != 0)
        err = errno;
    if (err) {
        // The old file is whole either way; a leftover ".new-" file holds no choice.
        static_cast<void>(unlink(temporary.constData()));
        return Failed{whyNotWritten(file, QString::fromLocal8Bit(strerror(err)))};
    }
    // The new name is in place; a folder that fails to sync cannot undo that, and the
    // file itself is already on disk.
    const UniqueFd folder(
        ::open(PosixIo::folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder)
        static_cast<void>(fsync(folder.get()));
    return {};
}
