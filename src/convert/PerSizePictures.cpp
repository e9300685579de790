#include "PerSizePictures.h"

#include "FailureReason.h"
#include "JobCheck.h"
#include "core/PathHelpers.h"
#include "platform/AppError.h"
#include "platform/FolderListing.h"
#include "platform/KnownFolders.h"
#include "platform/SafeFile.h"

#include <QRegularExpression>

namespace {
// Picture formats ImageMagick reads; an icon is left out, since it may be an
// earlier batch's output of the very picture.
bool isPictureExtension(const QString &extension)
{
    static const QStringList known{
        QStringLiteral("png"),  QStringLiteral("svg"),  QStringLiteral("svgz"),
        QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("gif"),
        QStringLiteral("bmp"),  QStringLiteral("webp"), QStringLiteral("tif"),
        QStringLiteral("tiff"), QStringLiteral("tga"),  QStringLiteral("ppm"),
        QStringLiteral("pgm"),  QStringLiteral("pnm"),  QStringLiteral("xpm")};
    return known.contains(extension.toLower());
}

const QRegularExpression &perSizePattern()
{
    // base, separator, size, optionally "x" and the same size again, extension.
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(.+)[-_]([1-9]\d{0,2})(?:[xX]([1-9]\d{0,2}))?\.([^.]+)$)"));
    return pattern;
}
} // namespace

std::optional<PerSizeName> perSizeNameOf(const QString &name)
{
    const auto match = perSizePattern().match(name);
    if (!match.hasMatch() || !isPictureExtension(match.captured(4)))
        return std::nullopt;
    const int size = match.captured(2).toInt();
    if (match.capturedLength(3) > 0 && match.captured(3).toInt() != size)
        return std::nullopt;
    return PerSizeName{match.captured(1), size};
}

QMap<int, QString> perSizePictures(const QString &pictureName, const QStringList &folderNames,
                                   const QList<int> &sizes)
{
    const QString base = StripExtension(pictureName);
    QMap<int, QString> found;
    for (const QString &name : folderNames) {
        const auto perSize = perSizeNameOf(name);
        if (!perSize || !sizes.contains(perSize->size) ||
            perSize->base.compare(base, Qt::CaseInsensitive) != 0)
            continue;
        // Of several spellings the first in name order wins, whatever order the
        // folder listed them in.
        const auto it = found.constFind(perSize->size);
        if (it == found.constEnd() || name < *it)
            found.insert(perSize->size, name);
    }
    return found;
}

PerSizeFinder::PerSizeFinder(const QStringList &rowPaths, const IconSize &size)
{
    if (size.kind() != IconSize::Kind::List)
        return;
    m_sizes = size.sizes();
    m_rowPaths = QSet<QString>(rowPaths.cbegin(), rowPaths.cend());
}

PerSizeFinder::Found PerSizeFinder::picturesFor(const QString &source, int job)
{
    Found found;
    if (m_sizes.isEmpty())
        return found;
    const QString folder = FolderOf(source);
    const QMap<int, QString> names = perSizePictures(FileNameOf(source), namesIn(folder), m_sizes);
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        const QString path = CollapseBackslashes(folder + FileSystem::nativeSeparator() + *it);
        // "in-<job>-<size>", beside the job's own "in-<job>".
        const PictureInput picture =
            inspect(path, inputNameFor(job) + QLatin1Char('-') + QString::number(it.key()));
        // The designer drew this size: the icon is not made without it.
        if (const Failure fault = m_faults.value(path); !fault.isNone()) {
            found.fault = fault.about(*it);
            found.pictures.clear();
            return found;
        }
        found.pictures.insert(it.key(), picture);
    }
    return found;
}

Failure PerSizeFinder::faultOf(const QString &path)
{
    if (!m_faults.contains(path))
        inspect(path, {});
    return m_faults.value(path);
}

PictureInput PerSizeFinder::inspect(const QString &path, const QString &inputName)
{
    Failure fault = FailureReason::forSource(SafeFile::checkReadableFile(path));
    PictureInput picture;
    if (fault.isNone()) {
        picture = pictureInput(path, inputName);
        fault = picture.fault;
    }
    m_faults.insert(path, fault);
    return picture;
}

QStringList PerSizeFinder::baseRowsOf(const QString &source)
{
    const QString name = FileNameOf(source);
    const auto perSize = perSizeNameOf(name);
    if (m_sizes.isEmpty() || !perSize || !m_sizes.contains(perSize->size))
        return {};
    const QString folder = FolderOf(source);
    const QStringList &names = namesIn(folder);
    QStringList bases;
    for (const QString &picture : names) {
        if (StripExtension(picture).compare(perSize->base, Qt::CaseInsensitive) != 0)
            continue;
        const QString path = CollapseBackslashes(folder + FileSystem::nativeSeparator() + picture);
        if (m_rowPaths.contains(path) &&
            perSizePictures(picture, names, {perSize->size}).value(perSize->size) == name)
            bases << path;
    }
    return bases;
}

const QStringList &PerSizeFinder::namesIn(const QString &folder)
{
    auto it = m_folderNames.find(folder);
    if (it == m_folderNames.end()) {
        // A folder that cannot be listed offers no pictures: the row's own picture serves.
        it = m_folderNames.insert(
            folder, FileSystem::readFileNames(folder, QStringLiteral("*")).valueOr({}));
    }
    return *it;
}
