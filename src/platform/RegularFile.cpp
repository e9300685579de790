#include "RegularFile.h"

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
    const int fd = open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat after;
    if (fstat(fd, &after) != 0 || !S_ISREG(after.st_mode) || after.st_dev != before.st_dev ||
        after.st_ino != before.st_ino) {
        close(fd);
        return {};
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags != -1)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(fd);
        return {};
    }
    return file;
}

} // namespace FileSystem
