#include "FileSystem.h"

#include "AppError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace FileSystem {
namespace {

// Qt 6 takes file names on Unix as UTF-8; the direct codec is many times faster
// than the general local 8-bit route, which matters when listing big trees.
QByteArray encoded(const QString &path)
{
    return path.toUtf8();
}
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

// A path without its trailing separators, so that lstat sees a link as a link.
QByteArray withoutTrailingSeparators(const QString &path)
{
    QByteArray p = encoded(path);
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    return p;
}

// Kernel pseudo file systems: their folders read as hidden + system.
bool isPseudoFileSystem(const QByteArray &type)
{
    static const QList<QByteArray> kinds = {
        "proc",    "sysfs",     "devtmpfs",   "devpts",      "cgroup",   "cgroup2",
        "debugfs", "tracefs",   "securityfs", "pstore",      "bpf",      "configfs",
        "mqueue",  "hugetlbfs", "fusectl",    "binfmt_misc", "efivarfs", "autofs"};
    return kinds.contains(type);
}

// Device number to file-system type, read from the mount table; read again when
// a device is not known yet (something was mounted since).
QByteArray fileSystemTypeOf(dev_t device)
{
    static QHash<quint64, QByteArray> types;
    const quint64 key = device;
    auto it = types.constFind(key);
    if (it != types.constEnd())
        return *it;
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (mounts.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = mounts.readAll().split('\n');
        for (const QByteArray &line : lines) {
            const QList<QByteArray> fields = line.split(' ');
            const qsizetype dash = fields.indexOf("-");
            if (fields.size() < 3 || dash < 0 || dash + 1 >= fields.size())
                continue;
            const QList<QByteArray> majorMinor = fields.at(2).split(':');
            if (majorMinor.size() != 2)
                continue;
            const quint64 dev = makedev(majorMinor[0].toUInt(), majorMinor[1].toUInt());
            types.insert(dev, fields.at(dash + 1));
        }
    }
    if (!types.contains(key))
        types.insert(key, QByteArray());
    return types.value(key);
}

int errorNumberFor(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return ErrorNumber::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return ErrorNumber::PathNotFound;
    default:
        return ErrorNumber::PathFileAccess;
    }
}

bool isRegularAfterLinks(int dirFd, const char *name)
{
    struct stat st;
    return fstatat(dirFd, name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

} // namespace

int attributes(const QString &path)
{
    const QByteArray p = withoutTrailingSeparators(path);
    if (p.isEmpty())
        return -1;
    struct stat link;
    if (lstat(p.constData(), &link) != 0)
        return -1;
    struct stat target = link;
    int value = 0;
    if (S_ISLNK(link.st_mode)) {
        value |= Attr::ReparsePoint;
        if (stat(p.constData(), &target) != 0)
            target = link;
    }
    if (S_ISDIR(target.st_mode))
        value |= Attr::Directory;
    if (S_ISREG(target.st_mode))
        value |= Attr::Archive;
    // As on Windows, read-only speaks of files; folders never carry it.
    if (!S_ISDIR(target.st_mode) && !(target.st_mode & S_IWUSR))
        value |= Attr::ReadOnly;
    const qsizetype slash = p.lastIndexOf('/');
    const QByteArray name = p.mid(slash + 1);
    if (name.startsWith('.') && name != "." && name != "..")
        value |= Attr::Hidden;
    if (S_ISDIR(target.st_mode) && isPseudoFileSystem(fileSystemTypeOf(target.st_dev)))
        value |= Attr::Hidden | Attr::System;
    return value;
}

bool isVolumeRoot(const QString &path)
{
    return !path.isEmpty() && path.count(QLatin1Char('/')) == path.size();
}

bool isHiddenFile(const QString &path)
{
    // For files the bit comes from the name alone; only folders learn it from
    // their file system as well.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return path.size() > slash + 1 && path.at(slash + 1) == QLatin1Char('.');
}

bool fitsPathLimit(const QString &path)
{
    // No UTF-16 unit takes more than three bytes: most paths need no encoding.
    if (path.size() * 3 < PATH_MAX)
        return true;
    return encoded(path).size() < PATH_MAX;
}

bool pathExists(const QString &path)
{
    struct stat st;
    return !path.isEmpty() && stat(encoded(path).constData(), &st) == 0;
}

SubfolderListing listSubfolders(const QString &folder)
{
    SubfolderListing result;
    const auto fail = [&result](int err) {
        result.error = errorNumberFor(err);
        result.reason = QString::fromLocal8Bit(strerror(err));
    };
    const int dirFd = open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        fail(errno);
        return result;
    }
    if (faccessat(dirFd, ".", X_OK, AT_EACCESS) != 0) {
        fail(errno);
        close(dirFd);
        return result;
    }
    DIR *dir = fdopendir(dirFd);
    if (!dir) {
        fail(errno);
        close(dirFd);
        return result;
    }
    struct stat self;
    if (fstat(dirFd, &self) == 0)
        result.id = {quint64(self.st_dev), quint64(self.st_ino), true};
    errno = 0;
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st;
            isDir = fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir)
            (decodesExactly(name) ? result.names : result.undecodable).append(decoded(name));
        errno = 0;
    }
    if (errno != 0)
        fail(errno);
    closedir(dir);
    std::sort(result.names.begin(), result.names.end(), comesBefore);
    return result;
}

bool wildcardMatch(const QString &pattern, const QString &name)
{
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return true;
    // The common "*.ext": a case-blind look at the end of the name.
    if (pattern.startsWith(QLatin1Char('*')) && pattern.indexOf(QLatin1Char('*'), 1) < 0 &&
        pattern.indexOf(QLatin1Char('?')) < 0)
        return name.endsWith(QStringView(pattern).mid(1), Qt::CaseInsensitive);
    // Iterative match with one backtrack point: linear for the usual patterns.
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == QLatin1Char('?') ||
                                          pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

QStringList listFiles(const QString &folder, const QString &pattern, QStringList *undecodable)
{
    QStringList names;
    const int dirFd = open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        const int number = errorNumberFor(errno);
        if (number == ErrorNumber::PathNotFound)
            return names; // like a search that finds nothing
        throw AppError(number, number == ErrorNumber::PermissionDenied
                                   ? QStringLiteral("Permission denied")
                                   : QStringLiteral("Path/File access error"));
    }
    // Without search permission no entry could be opened, so none exists for us.
    if (faccessat(dirFd, ".", X_OK, AT_EACCESS) != 0) {
        close(dirFd);
        return names;
    }
    DIR *dir = fdopendir(dirFd);
    if (!dir) {
        close(dirFd);
        return names;
    }
    while (const dirent *entry = readdir(dir)) {
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
    closedir(dir);
    std::sort(names.begin(), names.end(), comesBefore);
    return names;
}

namespace {
bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

char16_t folded(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    return QChar::toCaseFolded(c);
}

// Negative, zero or positive as `a` comes before, level with or after `b`.
int compareNames(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char16_t x = a[i].unicode(), y = b[j].unicode();
        if (isDigit(x) && isDigit(y)) {
            qsizetype endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA].unicode()))
                ++endA;
            while (endB < b.size() && isDigit(b[endB].unicode()))
                ++endB;
            while (i + 1 < endA && a[i] == u'0')
                ++i;
            while (j + 1 < endB && b[j] == u'0')
                ++j;
            // Without leading zeros the longer run is the larger number.
            if (endA - i != endB - j)
                return endA - i < endB - j ? -1 : 1;
            for (; i < endA; ++i, ++j) {
                if (a[i] != b[j])
                    return a[i] < b[j] ? -1 : 1;
            }
            continue;
        }
        const char16_t fx = folded(x), fy = folded(y);
        if (fx != fy)
            return fx < fy ? -1 : 1;
        ++i;
        ++j;
    }
    return (i < a.size()) - (j < b.size());
}
} // namespace

bool comesBefore(QStringView a, QStringView b)
{
    const int order = compareNames(a, b);
    // Names level in that order ("p01", "p1"; "A", "a") still get one fixed order.
    return order != 0 ? order < 0 : a < b;
}

QString stagingFolder()
{
    QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty())
        return temp;
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return runtime;
    QString folder = QDir::tempPath() + QStringLiteral("/quorbel-") + QString::number(geteuid());
    const QByteArray p = encoded(folder);
    if (mkdir(p.constData(), 0700) != 0 && errno != EEXIST)
        throw AppError(errorNumberFor(errno), QStringLiteral("Cannot create folder ") + folder);
    struct stat st;
    if (lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
        (st.st_mode & 077))
        throw AppError(ErrorNumber::PermissionDenied,
                       QStringLiteral("The folder %1 is not private to this user").arg(folder));
    return folder;
}

QString applicationFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString desktopFolderPath()
{
    // Many systems have no desktop folder; the first conversion must not fail for that.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    struct stat st;
    if (folder.isEmpty() || stat(encoded(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        folder = QDir::homePath();
    if (folder.isEmpty())
        throw AppError(5, QStringLiteral("Invalid procedure call or argument"));
    return folder + nativeSeparator();
}

QChar nativeSeparator()
{
    return QDir::separator();
}

} // namespace FileSystem
