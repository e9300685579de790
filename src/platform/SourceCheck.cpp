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

QString identityOf(const QString &path)
{
    struct stat st;
    if (path.isEmpty() || stat(encoded(path).constData(), &st) != 0)
        return {};
    return QStringLiteral("%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
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
