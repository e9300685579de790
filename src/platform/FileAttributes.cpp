// Windows-style attributes from lstat/stat, and the mount table that tells which
// folders belong to the kernel's pseudo file systems.
#include "FileAttributes.h"

#include "PosixIo.h"

#include <QFile>
#include <QHash>

#include <climits>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace FileSystem {
using PosixIo::encoded;

namespace {

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
    if (S_ISLNK(link.st_mode) && stat(p.constData(), &target) != 0)
        target = link;
    const qsizetype slash = p.lastIndexOf('/');
    return PosixIo::attributeValue(link, target, p.constData() + slash + 1);
}

} // namespace FileSystem

int PosixIo::attributeValue(const struct stat &link, const struct stat &target, const char *name)
{
    using namespace FileSystem;
    int value = 0;
    if (S_ISLNK(link.st_mode))
        value |= Attr::ReparsePoint;
    if (S_ISDIR(target.st_mode))
        value |= Attr::Directory;
    if (S_ISREG(target.st_mode))
        value |= Attr::Archive;
    // As on Windows, read-only speaks of files; folders never carry it.
    if (!S_ISDIR(target.st_mode) && !(target.st_mode & S_IWUSR))
        value |= Attr::ReadOnly;
    const QByteArrayView n(name);
    if (n.startsWith('.') && n != "." && n != "..")
        value |= Attr::Hidden;
    if (S_ISDIR(target.st_mode) && isPseudoFileSystem(fileSystemTypeOf(target.st_dev)))
        value |= Attr::Hidden | Attr::System;
    return value;
}

namespace FileSystem {

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

bool fitsPathLimit(qsizetype encodedBytes)
{
    return encodedBytes < PATH_MAX;
}

qsizetype encodedSize(const QString &path)
{
    return encoded(path).size();
}

bool pathExists(const QString &path)
{
    struct stat st;
    return !path.isEmpty() && stat(encoded(path).constData(), &st) == 0;
}

} // namespace FileSystem
