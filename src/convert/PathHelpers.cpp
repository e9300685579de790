#include "PathHelpers.h"

#include "RowSource.h"
#include "platform/AppError.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"

QChar SeparatorOf(PathFlavour flavour)
{
    return flavour == PathFlavour::Windows ? QLatin1Char('\\') : QLatin1Char('/');
}

QString FileNameOf(const QString &path, PathFlavour flavour)
{
    return path.mid(path.lastIndexOf(SeparatorOf(flavour)) + 1);
}

QString FolderOf(const QString &path, PathFlavour flavour)
{
    const qsizetype p = path.lastIndexOf(SeparatorOf(flavour));
    return p < 0 ? QString() : path.left(p + 1);
}

QString StripExtension(const QString &name)
{
    const qsizetype p = name.lastIndexOf(QLatin1Char('.'));
    return p >= 1 ? name.left(p) : name;
}

namespace {
// One left-to-right pass: each non-overlapping doubled separator becomes one.
QString collapseOnce(QStringView text, QChar separator)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator)
            ++i;
    }
    return result;
}
} // namespace

QString CollapseBackslashes(const QString &path, PathFlavour flavour)
{
    const QChar separator = SeparatorOf(flavour);
    if (!path.startsWith(separator))
        return collapseOnce(path, separator);
    qsizetype k = 0;
    while (k < path.size() && path[k] == separator)
        ++k;
    const QString lead =
        flavour == PathFlavour::Windows ? QString(2, separator) : QString(separator);
    return lead + collapseOnce(QStringView(path).mid(k), separator);
}

bool PathExists(const QString &path)
{
    return FileSystem::pathExists(path);
}

bool IsFolder(const QString &path)
{
    const int attributes = FileSystem::attributes(path);
    return attributes >= 0 && (attributes & FileSystem::Attr::Directory);
}

void DeleteFileSafe(const QString &path)
{
    EventPump::LetEventsRun();
    if (!FileSystem::deleteFile(path))
        ForceDeleteFile(path);
}

void ForceDeleteFile(const QString &path)
{
    FileSystem::forceDeleteFile(path);
}

void WriteFileIfMissing(const QByteArray &bytes, const QString &path)
{
    EventPump::LetEventsRun();
    if (PathExists(path))
        return;
    FileSystem::writeNewFile(path, bytes, 0700);
}

bool ListContains(const RowSource &list, const QString &text)
{
    bool found = false;
    const int n = list.numberOfRows();
    for (int i = 1; i <= n; ++i) {
        if (list.rowText(i) == text)
            found = true;
    }
    return found;
}
