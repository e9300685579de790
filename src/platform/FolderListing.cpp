// Listing a folder's subfolders and its files, straight from the directory stream.
#include "FolderListing.h"
#include "FileAttributes.h"
#include "NameOrder.h"
#include "WildcardMatch.h"

#include "AppError.h"
#include "FileOutcome.h"
#include "PosixIo.h"

#include <QCoreApplication>

#include <algorithm>

#include <climits>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {
using PosixIo::encoded;
using SafeFile::errorNumberFor;

namespace {
QString pathFileAccessError()
{
    return QCoreApplication::translate("FolderListing", "Path/File access error");
}

// Qt 6 takes file names on Unix as UTF-8; the direct codec is many times faster
// than the general local 8-bit route, which matters when listing big trees.
QString decoded(const char *name)
{
    return QString::fromUtf8(name);
}
// A name that is not valid UTF-8 would decode into a text that names no file.
bool decodesExactly(const char *name)
{
    for (const char *c = name; *c; ++c) {
        if (static_cast<unsigned char>(*c) >= 0x80)
            return QByteArrayView(name).isValidUtf8();
    }
    return true;
}

bool isRegularAfterLinks(int dirFd, const char *name)
{
    struct stat st;
    return fstatat(dirFd, name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

} // namespace

namespace {

FolderId idOf(const struct stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), true};
}

// Opens the folder a walk reaches at `place`; none, with errno set, when it cannot.
UniqueFd openPlace(const FolderPlace &place)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (!place.parent)
        return UniqueFd(open(encoded(place.path).constData(), flags));
    if (place.parent->isOpen())
        return UniqueFd(openat(place.parent->descriptor(), encoded(place.name).constData(),
                               flags | O_NOFOLLOW));
    // Its parent was let go: the path may lead anywhere now, so it must lead to
    // the very folder that was found.
    UniqueFd fd(open(encoded(place.path).constData(), flags | O_NOFOLLOW));
    struct stat st;
    if (fd && place.id.known && (fstat(fd.get(), &st) != 0 || idOf(st) != place.id)) {
        fd.reset();
        errno = ENOENT;
    }
    return fd;
}

// Lists the subfolders of the open folder.
SubfolderListing listOpen(UniqueFd folder, qsizetype pathBytes)
{
    SubfolderListing result;
    const auto fail = [&result](int err) {
        result.error = errorNumberFor(err);
        result.reason = QString::fromLocal8Bit(strerror(err));
    };
    if (!folder) {
        // A link or a file found where the folder was: nothing of ours to list.
        fail(errno == ELOOP ? ENOENT : errno);
        return result;
    }
    const int dirFd = folder.get();
    if (faccessat(dirFd, ".", X_OK, AT_EACCESS) != 0) {
        fail(errno);
        return result;
    }
    const DirStream dir = readFolder(std::move(folder));
    if (!dir) {
        fail(errno);
        return result;
    }
    struct stat self;
    if (fstat(dirFd, &self) == 0)
        result.id = idOf(self);
    struct Entry
    {
        QString name;
        int value;
        FolderId id;
    };
    QList<Entry> found;
    errno = 0;
    while (const dirent *entry = readdir(dir.get())) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
            continue;
        struct stat st;
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode)) {
            errno = 0;
            continue;
        }
        if (!decodesExactly(name)) {
            result.undecodable.append(decoded(name));
        } else {
            // Beyond the system's limit no path could reach it, as lstat would say.
            const bool reachable = pathBytes + qsizetype(strlen(name)) + 1 < PATH_MAX;
            found.append(
                {decoded(name), reachable ? PosixIo::attributeValue(st, st, name) : -1, idOf(st)});
        }
        errno = 0;
    }
    if (errno != 0)
        fail(errno);
    std::sort(found.begin(), found.end(),
              [](const Entry &a, const Entry &b) { return comesBefore(a.name, b.name); });
    for (const Entry &entry : std::as_const(found)) {
        result.names.append(entry.name);
        result.values.append(entry.value);
        result.ids.append(entry.id);
    }
    return result;
}

QStringList listOpenFiles(UniqueFd folder, const QString &pattern, QStringList *undecodable)
{
    QStringList names;
    const int dirFd = folder.get();
    // Without search permission no entry could be opened, so none exists for us.
    if (faccessat(dirFd, ".", X_OK, AT_EACCESS) != 0)
        return names;
    const DirStream dir = readFolder(std::move(folder));
    if (!dir)
        return names;
    while (const dirent *entry = readdir(dir.get())) {
        if (entry->d_type == DT_DIR)
            continue;
        const bool exact = decodesExactly(entry->d_name);
        if (!exact && !undecodable)
            continue;
        const QString name = decoded(entry->d_name);
        if (!wildcardMatch(pattern, name))
            continue;
        if (entry->d_type == DT_REG || isRegularAfterLinks(dirFd, entry->d_name))
            (exact ? names : *undecodable).append(name);
    }
    std::sort(names.begin(), names.end(), comesBefore);
    return names;
}

} // namespace

SubfolderListing listSubfolders(const QString &folder)
{
    return listSubfolders(FolderPlace{folder, encodedSize(folder), nullptr, {}, {}}, nullptr);
}

SubfolderListing listSubfolders(const FolderPlace &place, OpenFolder *opened)
{
    UniqueFd fd = openPlace(place);
    if (fd && opened)
        *opened = OpenFolder(UniqueFd(fcntl(fd.get(), F_DUPFD_CLOEXEC, 0)));
    return listOpen(std::move(fd), place.pathBytes);
}

Result<QStringList, AppError> readFileNames(const QString &folder, const QString &pattern,
                                            QStringList *undecodable)
{
    UniqueFd dirFd(open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd) {
        const int number = errorNumberFor(errno);
        if (number == ErrorNumber::PathNotFound)
            return QStringList(); // like a search that finds nothing
        return Failed{
            AppError(number, number == ErrorNumber::PermissionDenied
                                 ? QCoreApplication::translate("FolderListing", "Permission denied")
                                 : pathFileAccessError())};
    }
    return listOpenFiles(std::move(dirFd), pattern, undecodable);
}

QStringList listFiles(const QString &folder, const QString &pattern, QStringList *undecodable)
{
    Result<QStringList, AppError> names = readFileNames(folder, pattern, undecodable);
    if (!names)
        throw names.error();
    return std::move(names).value();
}

QStringList listFiles(const OpenFolder &folder, const QString &pattern, QStringList *undecodable)
{
    // Its own descriptor: the directory stream takes it over and ends it.
    UniqueFd dirFd(openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd)
        throw AppError(ErrorNumber::PathFileAccess, pathFileAccessError());
    return listOpenFiles(std::move(dirFd), pattern, undecodable);
}

} // namespace FileSystem
