#include "PreviewModel.h"

#include "convert/IconPack.h"
#include "convert/PerSizePictures.h"
#include "convert/PictureInput.h"
#include "core/PathHelpers.h"

#include <QFile>
#include <algorithm>

namespace {
// Windows draws these from the icon: the large views at 256 px, the taskbar at 125 %
// and 150 % display scaling.
constexpr int LargeViewSide = 256;
constexpr int TaskbarSides[] = {20, 24, 40};
// Where a picture's profile stands, if it has one: before its pixels.
constexpr qint64 ProfileSearch = 256 * 1024;

int sideOf(const PreviewEntry &entry)
{
    return std::max(entry.width, entry.height);
}

PreviewEntry::Origin originOf(const PreviewEntry &entry, const PictureFacts &facts)
{
    if (facts.own.contains(sideOf(entry)))
        return PreviewEntry::Origin::OwnPicture;
    if (facts.vector)
        return PreviewEntry::Origin::Drawn;
    if (facts.size == QSize(entry.width, entry.height))
        return PreviewEntry::Origin::AsIs;
    return PreviewEntry::Origin::Scaled;
}
} // namespace

PreviewModel PreviewModel::ofIcon(const QByteArray &bytes)
{
    PreviewModel model;
    model.m_fault = IcoFile(bytes).fault();
    if (model.m_fault != IcoFile::Fault::None)
        return model;
    model.addEntries(bytes);
    model.addNotes(nullptr);
    return model;
}

PreviewModel PreviewModel::ofConversion(const QByteArray &bytes, const PictureFacts &facts)
{
    PreviewModel model;
    model.m_fault = IcoFile(bytes).fault();
    if (model.m_fault != IcoFile::Fault::None)
        return model;
    model.addEntries(bytes);
    for (PreviewEntry &entry : model.m_entries) {
        entry.origin = originOf(entry, facts);
        if (entry.origin == PreviewEntry::Origin::OwnPicture)
            entry.originFile = facts.own.value(sideOf(entry));
        else if (entry.origin == PreviewEntry::Origin::Scaled)
            entry.originSize = facts.size;
    }
    model.addNotes(&facts);
    return model;
}

PreviewModel PreviewModel::ofFailure(const Failure &failure)
{
    PreviewModel model;
    model.m_failure = failure;
    return model;
}

PreviewModel PreviewModel::ofRefusal(BatchRefusal why)
{
    PreviewModel model;
    model.m_refusal = why;
    return model;
}

PreviewModel PreviewModel::ofError(const QString &report)
{
    PreviewModel model;
    model.m_errorReport = report;
    return model;
}

void PreviewModel::addEntries(const QByteArray &bytes)
{
    const IcoFile icon(bytes);
    for (const IcoFile::Entry &stored : icon.entries()) {
        PreviewEntry entry;
        entry.width = stored.width;
        entry.height = stored.height;
        entry.storage = stored.storage;
        entry.bytes = stored.length;
        entry.image = decodeIconEntry(icon, stored);
        m_entries << entry;
    }
    // Smallest first, as a person reads sizes.
    std::stable_sort(
        m_entries.begin(), m_entries.end(),
        [](const PreviewEntry &a, const PreviewEntry &b) { return sideOf(a) < sideOf(b); });
}

void PreviewModel::addNotes(const PictureFacts *facts)
{
    QList<int> sides;
    QList<int> unreadable;
    QList<int> enlarged;
    for (const PreviewEntry &entry : std::as_const(m_entries)) {
        sides << sideOf(entry);
        if (entry.image.isNull())
            unreadable << sideOf(entry);
        const bool fromPicture = entry.origin == PreviewEntry::Origin::Scaled;
        if (fromPicture && facts->size.isValid() &&
            sideOf(entry) > std::max(facts->size.width(), facts->size.height()))
            enlarged << sideOf(entry);
    }
    if (!sides.contains(LargeViewSide))
        m_notes << PreviewNote{PreviewNote::Kind::No256, {}, {}};
    if (std::none_of(std::begin(TaskbarSides), std::end(TaskbarSides),
                     [&](int side) { return sides.contains(side); }))
        m_notes << PreviewNote{PreviewNote::Kind::NoTaskbarSizes, {}, {}};
    if (!enlarged.isEmpty())
        m_notes << PreviewNote{PreviewNote::Kind::Enlarged, enlarged, facts->size};
    if (facts && !facts->vector && facts->size.isValid() &&
        facts->size.width() != facts->size.height())
        m_notes << PreviewNote{PreviewNote::Kind::NotSquare, {}, facts->size};
    if (facts && facts->colourConverted)
        m_notes << PreviewNote{PreviewNote::Kind::ColourConverted, {}, {}};
    if (!unreadable.isEmpty())
        m_notes << PreviewNote{PreviewNote::Kind::UnreadableEntry, unreadable, {}};
}

PictureFacts pictureFacts(const QString &path, const IconSize &size)
{
    PictureFacts facts;
    facts.name = FileNameOf(path);
    const PictureInput picture = pictureInput(path, QStringLiteral("in-1"));
    facts.size = picture.size;
    facts.vector = picture.vector;
    facts.colourConverted = picture.storedGamma != 0;
    if (!picture.vector && !facts.colourConverted) {
        // The converter applies an ICC profile the picture carries: PNG's "iCCP", JPEG's
        // "ICC_PROFILE", WebP's "ICCP". Gamma and primaries that restate sRGB's are none.
        QFile file(path);
        const QByteArray head =
            file.open(QIODevice::ReadOnly) ? file.read(ProfileSearch) : QByteArray();
        facts.colourConverted =
            head.contains("iCCP") || head.contains("ICC_PROFILE") || head.contains("ICCP");
    }
    PerSizeFinder finder({path}, size);
    const PerSizeFinder::Found own = finder.picturesFor(path, 1);
    for (auto it = own.pictures.cbegin(); it != own.pictures.cend(); ++it)
        facts.own.insert(it.key(), FileNameOf(it->path));
    return facts;
}
