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
    Result<UniqueFd> fd = createHidden(folderOf(p), StagingPrefix, 0700, &hidden);
    if (!fd) {
        const int err = fd.error().number;
        throw AppError(
            isRefusal(err) ? ErrorNumber::PermissionDenied : ErrorNumber::PathNotFound,
            QStringLiteral("Cannot write %1: %2").arg(path, QString::fromLocal8Bit(strerror(err))));
    }
    const Status written = writeAll(fd->get(), bytes, 0);
    int err = written ? 0 : written.error().number;
    // close() reports what a file system (NFS, a quota) kept back until then.
    if (close(std::move(fd).value().release()) != 0 && err == 0)
        err = errno;
    // A link appears whole; an existing name (another instance was quicker) is kept.
    if (err == 0 && link(hidden.constData(), p.constData()) != 0 && errno != EEXIST)
        err = errno;
    // The hidden name only; a leftover is removed as stale at a later start.
    static_cast<void>(unlink(hidden.constData()));
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

Status deleteOwnFile(const QString &path)
{
    const QByteArray p = encoded(path);
    struct stat st;
    if (p.isEmpty())
        return Failed{SysError{ENOENT}};
    if (lstat(p.constData(), &st) != 0)
        return lastSysError();
    if (!S_ISREG(st.st_mode) || st.st_uid != geteuid())
        return Failed{SysError{EPERM}};
    if (unlink(p.constData()) != 0)
        return lastSysError();
    return {};
}

Status makeHardLink(const QString &existing, const QString &newPath)
{
    if (link(encoded(existing).constData(), encoded(newPath).constData()) != 0)
        return lastSysError();
    return {};
}

} // namespace SafeFile
