// The folders the program works in: the staging folder, its own folder, the desktop.
#include "KnownFolders.h"

#include "AppError.h"
#include "FileOutcome.h"
#include "PosixIo.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace FileSystem {
using PosixIo::encoded;
using SafeFile::errorNumberFor;

namespace {
// The converter runs in its own work folder: a relative path would name another place.
QString absolute(const QString &folder)
{
    return folder.isEmpty() || !QDir::isRelativePath(folder) ? folder : QDir(folder).absolutePath();
}

// ImageMagick splits its configuration path at ':', and its helpers' command lines
// keep only some characters of a file name (the rest become '_', and the helper
// misses the file): a folder we name to it holds nothing else, nor what a shell
// would expand.
bool isPlainForConverter(const QString &folder)
{
    return std::all_of(folder.cbegin(), folder.cend(), [](QChar c) {
        return (c.unicode() < 128 && c.isLetterOrNumber()) ||
               QStringView(u"/ ._+,=@~-").contains(c);
    });
}
} // namespace

bool mayRunProgramsIn(const QString &folder)
{
    struct statvfs vfs;
    return statvfs(encoded(folder).constData(), &vfs) != 0 || !(vfs.f_flag & ST_NOEXEC);
}

QString stagingFolder()
{
    // A folder the converter cannot use gives way to the next: conversions work, and
    // each such folder is still the user's own or private.
    for (const char *variable : {"TEMP", "XDG_RUNTIME_DIR"}) {
        QString folder = absolute(qEnvironmentVariable(variable));
        if (!folder.isEmpty() && isPlainForConverter(folder) && mayRunProgramsIn(folder))
            return folder;
    }
    QString system = QDir::tempPath();
    if (!isPlainForConverter(system))
        system = QStringLiteral("/tmp");
    QString folder = system + QStringLiteral("/quorbel-") + QString::number(geteuid());
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
