#include "PosixIo.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace PosixIo {

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

Status writeAll(int fd, const QByteArray &bytes, off_t offset)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Failed{SysError{n < 0 ? errno : ENOSPC}};
        done += n;
    }
    return {};
}

namespace {
Result<UniqueFd> createHiddenIn(int folder, const QByteArray &prefix, const char *stem, mode_t mode,
                                QByteArray *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = prefix + stem + randomSuffix();
        const int fd = openat(folder, name->constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0)
            return UniqueFd(fd);
        if (errno != EEXIST)
            return lastSysError();
    }
    return Failed{SysError{EEXIST}};
}
} // namespace

Result<UniqueFd> createHidden(const QByteArray &folder, const char *stem, mode_t mode,
                              QByteArray *name)
{
    return createHiddenIn(AT_FDCWD, folder + '/', stem, mode, name);
}

Result<UniqueFd> createHiddenAt(int folder, const char *stem, mode_t mode, QByteArray *name)
{
    return createHiddenIn(folder, QByteArray(), stem, mode, name);
}

} // namespace PosixIo
