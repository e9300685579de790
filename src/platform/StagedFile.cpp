#include "StagedFile.h"

#include "AppError.h"
#include "PosixIo.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace SafeFile {
using namespace PosixIo;

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
            isRefusal(err) ? ErrorNumber::PermissionDenied : ErrorNumber::PathNotFound,
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

bool makeHardLink(const QString &existing, const QString &newPath)
{
    return link(encoded(existing).constData(), encoded(newPath).constData()) == 0;
}

} // namespace SafeFile
