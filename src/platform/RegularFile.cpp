#include "RegularFile.h"

#include "UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {

std::unique_ptr<QFile> openRegularFile(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QByteArray name = path.toUtf8();
    struct stat before;
    if (stat(name.constData(), &before) != 0 || !S_ISREG(before.st_mode))
        return {};
    // Non-blocking, so that a FIFO swapped in after the check still cannot hold us;
    // the descriptor must then be the very file that was checked.
    UniqueFd fd(open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd)
        return {};
    struct stat after;
    if (fstat(fd.get(), &after) != 0 || !S_ISREG(after.st_mode) || after.st_dev != before.st_dev ||
        after.st_ino != before.st_ino)
        return {};
    // Left non-blocking, a read of a slow disk would only come back short.
    const int flags = fcntl(fd.get(), F_GETFL);
    if (flags != -1)
        static_cast<void>(fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK));
    auto file = std::make_unique<QFile>();
    if (!file->open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {};
    static_cast<void>(fd.release()); // the file closes it now
    return file;
}

} // namespace FileSystem
