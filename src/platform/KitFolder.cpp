#include "KitFolder.h"

#include "DiskSync.h"
#include "PosixIo.h"

#include <QHash>
#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {
namespace {
constexpr mode_t NewFolderMode = 0777; // less the user's umask
constexpr mode_t NewFileMode = 0666;

QByteArray encoded(const QString &text)
{
    return text.toUtf8();
}

// Opens (making when missing) the folder `name` in `parent`, never through a link.
int openFolder(int parent, const QByteArray &name, int *err)
{
    if (mkdirat(parent, name.constData(), NewFolderMode) != 0 && errno != EEXIST) {
        *err = errno;
        return -1;
    }
    const int fd =
        openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        *err = errno == ELOOP ? ENOTDIR : errno;
    return fd;
}

struct Pending
{
    int folder = -1;
    QByteArray name;
    QByteArray hidden;
};

void closeAll(const QHash<QString, int> &folders)
{
    for (const int fd : folders)
        close(fd);
}
} // namespace

KitPlacing checkKitFolder(const QString &folder)
{
    KitPlacing placing;
    struct stat st;
    if (lstat(encoded(folder).constData(), &st) == 0) {
        placing.folderTaken = !S_ISDIR(st.st_mode);
        placing.outcome = placing.folderTaken ? Outcome::NotRegular : Outcome::Done;
        return placing;
    }
    if (errno != ENOENT) {
        placing.outcome = outcomeFor(errno);
        return placing;
    }
    const QString parent =
        folder.left(std::max<qsizetype>(1, folder.lastIndexOf(QLatin1Char('/'))));
    if (stat(encoded(parent).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        placing.outcome = Outcome::Missing;
    else if (access(encoded(parent).constData(), W_OK | X_OK) != 0)
        placing.outcome = outcomeFor(errno);
    return placing;
}

KitPlacing placeKit(const QString &folder, const QList<KitFile> &files)
{
    KitPlacing placing = checkKitFolder(folder);
    if (placing.outcome != Outcome::Done)
        return placing;
    const qsizetype cut = folder.lastIndexOf(QLatin1Char('/'));
    const QString parentPath = cut <= 0 ? QStringLiteral("/") : folder.left(cut);
    int err = 0;
    const int parent = open(encoded(parentPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int top = parent < 0 ? -1 : openFolder(parent, encoded(folder.mid(cut + 1)), &err);
    if (parent >= 0)
        close(parent);
    if (top < 0) {
        placing.outcome = err == ENOTDIR ? Outcome::NotRegular : outcomeFor(err ? err : errno);
        placing.folderTaken = err == ENOTDIR;
        return placing;
    }
    QHash<QString, int> folders{{QString(), top}};
    QList<Pending> pending;
    const auto undo = [&](int error) {
        for (const Pending &p : std::as_const(pending))
            unlinkat(p.folder, p.hidden.constData(), 0);
        closeAll(folders);
        placing.outcome = outcomeFor(error);
        return placing;
    };
    for (const KitFile &file : files) {
        const QStringList parts = file.path.split(QLatin1Char('/'));
        QString at;
        int dir = top;
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            at += QLatin1Char('/') + parts[i];
            if (!folders.contains(at)) {
                const int fd = openFolder(dir, encoded(parts[i]), &err);
                if (fd < 0)
                    return undo(err);
                folders.insert(at, fd);
            }
            dir = folders.value(at);
        }
        Pending p{dir, encoded(parts.last()), encoded(QStringLiteral(".%1.new").arg(parts.last()))};
        unlinkat(dir, p.hidden.constData(), 0); // left by a batch that was killed
        const int fd = openat(dir, p.hidden.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, NewFileMode);
        if (fd < 0)
            return undo(errno);
        pending << p;
        const bool written = PosixIo::writeAll(fd, file.bytes, 0, &err) && syncToDisk(fd) == 0;
        if (!written && err == 0)
            err = errno;
        close(fd);
        if (!written)
            return undo(err);
    }
    for (const Pending &p : std::as_const(pending)) {
        struct stat st;
        placing.replaced = placing.replaced ||
                           fstatat(p.folder, p.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (renameat(p.folder, p.hidden.constData(), p.folder, p.name.constData()) != 0) {
            err = errno;
            for (const Pending &rest : std::as_const(pending))
                unlinkat(rest.folder, rest.hidden.constData(), 0);
            closeAll(folders);
            placing.outcome = outcomeFor(err);
            return placing;
        }
    }
    for (const int fd : std::as_const(folders))
        syncToDisk(fd);
    closeAll(folders);
    return placing;
}

} // namespace SafeFile
