#include "PathHelpers.h"

#include "RowSource.h"
#include "platform/FileAttributes.h"

#include <QDir>

namespace {
constexpr QLatin1Char separator('/');
} // namespace

QString FileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(separator) + 1);
}

QString FolderOf(const QString &path)
{
    const qsizetype p = path.lastIndexOf(separator);
    return p < 0 ? QString() : path.left(p + 1);
}

QString StripExtension(const QString &name)
{
    const qsizetype p = name.lastIndexOf(QLatin1Char('.'));
    return p >= 1 ? name.left(p) : name;
}

namespace {
// One left-to-right pass: each non-overlapping doubled separator becomes one.
QString collapseOnce(QStringView text)
{
    const QChar doubled[] = {separator, separator};
    qsizetype at = text.indexOf(QStringView(doubled, 2));
    if (at < 0)
        return text.toString(); // the usual case: nothing to do
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    while (at >= 0) {
        result += text.mid(from, at + 1 - from);
        from = at + 2;
        at = text.indexOf(QStringView(doubled, 2), from);
    }
    result += text.mid(from);
    return result;
}
} // namespace

QString CollapseBackslashes(const QString &path)
{
    const QChar pair[] = {separator, separator};
    const QStringView doubled(pair, 2);
    if (!path.startsWith(separator)) {
        if (!path.contains(doubled))
            return path; // the usual case: shares the text, no copy
        return collapseOnce(path);
    }
    qsizetype k = 0;
    while (k < path.size() && path[k] == separator)
        ++k;
    if (k == 1 && path.indexOf(doubled, k) < 0)
        return path;
    return QString(1, separator) + collapseOnce(QStringView(path).mid(k));
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

QString absolutePath(const QString &path)
{
    // Not cleaned: "link/.." must keep meaning what the shell meant.
    return QDir::current().absoluteFilePath(path);
}
