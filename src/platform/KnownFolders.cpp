// The folders the program works in: the staging folder, its own folder, the desktop.
#include "KnownFolders.h"

#include "AppError.h"
#include "Console.h"
#include "FileOutcome.h"
#include "PosixIo.h"
#include "Result.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
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

namespace {
QString text(const char *source)
{
    return QCoreApplication::translate("KnownFolders", source);
}

// Said on the terminal once per run, however often the folder is looked up.
void sayOnce(const QString &note)
{
    static QSet<QString> said;
    if (!said.contains(note)) {
        said.insert(note);
        Console::write(Console::Stream::Err, QStringLiteral("quorbel: ") + note + u'\n');
    }
}

// Whether a folder can hold the work at all, and why not.
Result<void, QString> checkUsable(const QString &folder)
{
    const QByteArray p = encoded(folder);
    struct stat st;
    if (stat(p.constData(), &st) != 0)
        return Failed{QString::fromLocal8Bit(strerror(errno))};
    if (!S_ISDIR(st.st_mode))
        return Failed{text("not a folder")};
    if (faccessat(AT_FDCWD, p.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return Failed{text("not writable")};
    return {};
}

// A folder named by `variable` that the converter can use, or empty; a folder
// that is missing, not a folder or not writable is said to give way.
QString usableFolderIn(const char *variable, bool mustRunPrograms, StagingLookup lookup)
{
    QString folder = absolute(qEnvironmentVariable(variable));
    if (folder.isEmpty())
        return {};
    if (const Result<void, QString> usable = checkUsable(folder); !usable) {
        if (lookup == StagingLookup::Make)
            sayOnce(text("%1 names %2 (%3); passing it over")
                        .arg(QLatin1String(variable), folder, usable.error()));
        return {};
    }
    if (!isPlainForConverter(folder) || (mustRunPrograms && !mayRunProgramsIn(folder)))
        return {};
    return folder;
}

bool isPrivateFolder(const QByteArray &path)
{
    struct stat st;
    return lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           !(st.st_mode & 077);
}

// A folder of ours alone named after "quorbel-<uid>" in `base`. When that name is
// taken by anything else (a file, another user's folder, one others may enter),
// the squatter is left alone and an own folder beside it is used: the one an
// earlier run made, else a fresh one.
QString privateFolderIn(const QString &base, StagingLookup lookup)
{
    const QByteArray stem = "quorbel-" + QByteArray::number(geteuid());
    const QByteArray wanted = encoded(base) + '/' + stem;
    if (lookup == StagingLookup::Make && mkdir(wanted.constData(), 0700) != 0 && errno != EEXIST)
        throw AppError(errorNumberFor(errno),
                       QStringLiteral("Cannot create folder ") + QString::fromUtf8(wanted));
    if (isPrivateFolder(wanted))
        return QString::fromUtf8(wanted);
    QByteArray found;
    if (const DirStream dir{opendir(encoded(base).constData())}) {
        while (const dirent *entry = readdir(dir.get())) {
            const QByteArray name(entry->d_name);
            const QByteArray path = encoded(base) + '/' + name;
            if (name.startsWith(stem + '-') && name.size() == stem.size() + 7 &&
                (found.isEmpty() || path < found) && isPrivateFolder(path))
                found = path;
        }
    }
    if (lookup == StagingLookup::FindOnly)
        return QString::fromUtf8(found);
    if (found.isEmpty()) {
        found = wanted + "-XXXXXX";
        if (!mkdtemp(found.data()))
            throw AppError(errorNumberFor(errno),
                           QStringLiteral("Cannot create folder ") + QString::fromUtf8(found));
    }
    sayOnce(text("%1 is not a private folder of this user; working in %2 instead")
                .arg(QString::fromUtf8(wanted), QString::fromUtf8(found)));
    return QString::fromUtf8(found);
}
} // namespace

QString stagingFolder(StagingLookup lookup)
{
    // A folder the converter cannot use gives way to the next: conversions work, and
    // each such folder is still the user's own or private.
    for (const char *variable : {"TEMP", "XDG_RUNTIME_DIR"}) {
        QString folder = usableFolderIn(variable, true, lookup);
        if (!folder.isEmpty())
            return folder;
    }
    // Not QDir::tempPath(): it answers "" for a missing TMPDIR, which would put the
    // private folder in the root folder.
    QString system = usableFolderIn("TMPDIR", false, lookup);
    if (system.isEmpty())
        system = QStringLiteral("/tmp");
    return privateFolderIn(system, lookup);
}

QString homeFolderFor(const QString &passwordHome, const QString &current)
{
    const QString root = QStringLiteral("/");
    if (!passwordHome.isEmpty() && QDir::cleanPath(passwordHome) != root &&
        checkUsable(passwordHome).ok())
        return passwordHome;
    if (!current.isEmpty() && QDir::cleanPath(current) != root)
        return current;
    return {};
}

void settleHomeFolder()
{
    if (!qEnvironmentVariableIsEmpty("HOME"))
        return;
    const passwd *user = getpwuid(geteuid());
    const QString home =
        homeFolderFor(user && user->pw_dir ? QString::fromLocal8Bit(user->pw_dir) : QString(),
                      QDir::currentPath());
    if (home.isEmpty())
        return;
    // Qt and the converter's helpers read HOME: they all see the same home.
    qputenv("HOME", encoded(home));
    sayOnce(text("HOME is not set; using %1 as the home folder").arg(home));
}

QString applicationFolder()
{
    return QCoreApplication::applicationDirPath();
}

Result<QString, AppError> findDesktopFolder()
{
    // Many systems have no desktop folder; the first conversion must not fail for that.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    struct stat st;
    if (folder.isEmpty() || stat(encoded(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        folder = QDir::homePath();
    if (folder.isEmpty())
        return Failed{AppError(5, QStringLiteral("Invalid procedure call or argument"))};
    return folder + nativeSeparator();
}

QString desktopFolderPath()
{
    Result<QString, AppError> folder = findDesktopFolder();
    if (!folder)
        throw folder.error();
    return std::move(folder).value();
}

QChar nativeSeparator()
{
    return QDir::separator();
}

} // namespace FileSystem
