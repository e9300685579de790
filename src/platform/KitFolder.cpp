#include "KitFolder.h"

#include "DiskSync.h"
#include "PosixIo.h"

#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {
using PosixIo::encoded;

namespace {
constexpr mode_t NewFolderMode = 0777; // less the user's umask
constexpr mode_t NewFileMode = 0666;

// Opens (making when missing) the folder `name` in `parent`, never through a link;
// a link or a file in the way is ENOTDIR.
Result<UniqueFd> openFolder(int parent, const QByteArray &name)
{
    if (mkdirat(parent, name.constData(), NewFolderMode) != 0 && errno != EEXIST)
        return lastSysError();
    UniqueFd fd(openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return Failed{SysError{errno == ELOOP ? ENOTDIR : errno}};
    return fd;
}

struct Pending
{
    int folder = -1;
    QByteArray name;
    QByteArray hidden;
};

// Takes the hidden files back out; the earlier kit is as it was.
void removeHidden(const QList<Pending> &pending)
{
    for (const Pending &p : pending)
        static_cast<void>(unlinkat(p.folder, p.hidden.constData(), 0)); // renamed or gone
}

// Writes one file whole and flushed under its hidden name.
Status writeHidden(const Pending &p, const QByteArray &bytes)
{
    const UniqueFd fd(openat(p.folder, p.hidden.constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, NewFileMode));
    if (!fd)
        return lastSysError();
    if (Status written = PosixIo::writeAll(fd.get(), bytes, 0); !written)
        return written;
    return syncToDisk(fd.get());
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
    const UniqueFd parent(
        open(encoded(parentPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent) {
        placing.outcome = outcomeFor(errno);
        return placing;
    }
    Result<UniqueFd> top = openFolder(parent.get(), encoded(folder.mid(cut + 1)));
    if (!top) {
        const int err = top.error().number;
        placing.outcome = err == ENOTDIR ? Outcome::NotRegular : outcomeFor(err);
        placing.folderTaken = err == ENOTDIR;
        return placing;
    }
    std::map<QString, UniqueFd> folders;
    const int topFd = top->get();
    folders.emplace(QString(), std::move(top).value());
    QList<Pending> pending;
    const auto undo = [&](int error) {
        removeHidden(pending);
        placing.outcome = outcomeFor(error);
        return placing;
    };
    for (const KitFile &file : files) {
        const QStringList parts = file.path.split(QLatin1Char('/'));
        QString at;
        int dir = topFd;
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            at += QLatin1Char('/') + parts[i];
            auto found = folders.find(at);
            if (found == folders.end()) {
                Result<UniqueFd> opened = openFolder(dir, encoded(parts[i]));
                if (!opened)
                    return undo(opened.error().number);
                found = folders.emplace(at, std::move(opened).value()).first;
            }
            dir = found->second.get();
        }
        Pending p{dir, encoded(parts.last()), encoded(QStringLiteral(".%1.new").arg(parts.last()))};
        // Left by a batch that was killed, if anything.
        static_cast<void>(unlinkat(dir, p.hidden.constData(), 0));
        if (const Status written = writeHidden(p, file.bytes); !written) {
            removeHidden(pending);
            static_cast<void>(unlinkat(dir, p.hidden.constData(), 0)); // the part written
            placing.outcome = outcomeFor(written.error().number);
            return placing;
        }
        pending << p;
    }
    for (const Pending &p : std::as_const(pending)) {
        struct stat st;
        placing.replaced = placing.replaced ||
                           fstatat(p.folder, p.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (renameat(p.folder, p.hidden.constData(), p.folder, p.name.constData()) != 0)
            return undo(errno);
    }
    // The new names survive a power cut only once their folders are on disk; the
    // files are in place either way.
    for (const auto &[path, fd] : folders)
        static_cast<void>(syncToDisk(fd.get()));
    return placing;
}

} // namespace SafeFile
