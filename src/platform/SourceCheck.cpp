#include "SourceCheck.h"

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

Result<QString> identityOf(const QString &path)
{
    struct stat st;
    if (path.isEmpty())
        return Failed{SysError{ENOENT}};
    if (stat(encoded(path).constData(), &st) != 0)
        return lastSysError();
    return QStringLiteral("%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
}

bool exists(const QString &path)
{
    struct stat st;
    return !path.isEmpty() && lstat(encoded(path).constData(), &st) == 0;
}

Result<QByteArray> readFile(const QString &path, qint64 limit)
{
    const UniqueFd fd(open(encoded(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return lastSysError();
    struct stat st;
    if (fstat(fd.get(), &st) != 0)
        return lastSysError();
    if (!S_ISREG(st.st_mode))
        return Failed{SysError{EINVAL}};
    if (st.st_size > limit)
        return Failed{SysError{EFBIG}};
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pread(fd.get(), bytes.data() + done, size_t(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return lastSysError();
        if (n == 0)
            break; // shortened meanwhile: what is there
        done += n;
    }
    bytes.resize(done);
    return bytes;
}

} // namespace SafeFile
