// The folders the program works in: the staging folder, its own folder, the desktop.
#include "FileSystem.h"

#include "AppError.h"
#include "FileOutcome.h"
#include "PosixIo.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {
using PosixIo::encoded;
using SafeFile::errorNumberFor;

namespace {
// The converter runs in its own work folder: a relative path would name another place.
QString absolute(const QString &folder)
{
    return QDir::isRelativePath(folder) ? QDir(folder).absolutePath() : folder;
}
} // namespace

QString stagingFolder()
{
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty())
        return absolute(temp);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return absolute(runtime);
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
