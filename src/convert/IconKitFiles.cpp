#include "IconKitFiles.h"

#include "IconCheck.h"
#include "IconPack.h"
#include "TightPng.h"
#include "core/IcnsFile.h"
#include "core/SvgDocument.h"

#include <QBuffer>
#include <QHash>
#include <QThreadPool>
#include <algorithm>
#include <functional>
#include <numeric>

namespace {
// The drawing centred on a clear canvas, its pixels copied exactly.
QImage placed(const QImage &drawing, int side)
{
    if (drawing.width() == side)
        return drawing;
    QImage canvas(side, side, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    const int offset = (side - drawing.width()) / 2;
    for (int y = 0; y < drawing.height(); ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(drawing.constScanLine(y));
        auto *to = reinterpret_cast<QRgb *>(canvas.scanLine(y + offset));
        std::copy(from, from + drawing.width(), to + offset);
    }
    return canvas;
}

// Over the background, blended by hand so the result is the same on every machine.
QImage overBackground(const QImage &picture, const QColor &background)
{
    QImage opaque = picture;
    const int bg[] = {background.red(), background.green(), background.blue()};
    for (int y = 0; y < opaque.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(opaque.scanLine(y));
        for (int x = 0; x < opaque.width(); ++x) {
            const int a = qAlpha(line[x]);
            const auto mix = [&](int c, int b) { return (c * a + b * (255 - a) + 127) / 255; };
            line[x] = qRgb(mix(qRed(line[x]), bg[0]), mix(qGreen(line[x]), bg[1]),
                           mix(qBlue(line[x]), bg[2]));
        }
    }
    return opaque;
}

// The kit's PNG pictures, each made and packed once however many files hold it, and
// packed on every core: zlib's tightest level is most of a kit's cost.
class PngPictures
{
public:
    int add(const QString &key, const std::function<QImage()> &make)
    {
        const auto it = m_keys.constFind(key);
        if (it != m_keys.cend())
            return *it;
        m_pictures << make();
        m_keys.insert(key, int(m_pictures.size()) - 1);
        return int(m_pictures.size()) - 1;
    }
    void pack()
    {
        m_bytes.resize(m_pictures.size());
        QThreadPool pool;
        // Largest first, so that no core is left with the largest at the end.
        QList<int> order(m_pictures.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [this](int a, int b) { return m_pictures[a].width() > m_pictures[b].width(); });
        for (const int i : std::as_const(order))
            pool.start([this, i] { m_bytes[i] = tightPng(m_pictures[i]); });
        pool.waitForDone();
    }
    QByteArray bytes(int index) const { return m_bytes.value(index); }

private:
    QList<QImage> m_pictures;
    QHash<QString, int> m_keys;
    QList<QByteArray> m_bytes;
};

QString pictureKey(int side, int picture, bool opaque)
{
    return QStringLiteral("%1/%2/%3").arg(side).arg(picture).arg(opaque ? 1 : 0);
}

// The ICNS file, once its PNG entries are packed.
std::function<std::optional<QByteArray>()> icns(const QMap<int, QImage> &drawings,
                                                PngPictures &pngs)
{
    QList<std::pair<QByteArray, int>> packed; // type and picture
    QList<IcnsFile::Entry> entries;
    for (const IconKit::IcnsEntry &entry : IconKit::icnsEntries()) {
        const QImage picture = drawings.value(entry.side);
        if (picture.isNull())
            return [] { return std::nullopt; };
        const QByteArray type(entry.type);
        if (entry.png) {
            packed.append({type, pngs.add(pictureKey(entry.side, entry.side, false),
                                          [&] { return drawings.value(entry.side); })});
            entries.append({type, {}});
        } else {
            entries.append({type, IcnsFile::packedColour(picture)});
            entries.append({type == "is32" ? QByteArray("s8mk") : QByteArray("l8mk"),
                            IcnsFile::alphaMask(picture)});
        }
    }
    return [entries, packed, &pngs]() mutable -> std::optional<QByteArray> {
        for (IcnsFile::Entry &entry : entries) {
            for (const auto &[type, index] : std::as_const(packed)) {
                if (entry.type == type)
                    entry.data = pngs.bytes(index);
            }
        }
        return IcnsFile::write(entries);
    };
}

std::optional<QByteArray> ico(const QList<int> &sizes, const QMap<int, QImage> &drawings,
                              IcoFile::Packing packing)
{
    QList<QImage> pictures;
    for (const int side : sizes) {
        if (drawings.value(side).isNull())
            return std::nullopt;
        pictures << drawings.value(side);
    }
    const QByteArray icon = packIcon(pictures, packing);
    if (!isWellFormedIcon(icon, sizes) || !isCanonicalIcon(icon, packing))
        return std::nullopt;
    return icon;
}
} // namespace

QColor kitColour(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('#')) && trimmed.size() != 7)
        return {};
    return QColor::fromString(trimmed);
}

QString colourText(const QColor &colour)
{
    return colour.name(QColor::HexRgb);
}

std::optional<QList<KitFileBytes>> makeKitFiles(const KitOptions &options,
                                                const KitPictures &pictures)
{
    QMap<int, QImage> drawings;
    for (auto it = pictures.drawings.cbegin(); it != pictures.drawings.cend(); ++it) {
        if (it->width() != it.key() || it->height() != it.key())
            return std::nullopt;
        drawings.insert(it.key(), it->convertToFormat(QImage::Format_ARGB32));
    }
    const bool vector = !pictures.svg.isEmpty();
    PngPictures pngs;
    QList<std::pair<QString, std::function<std::optional<QByteArray>()>>> made;
    for (const IconKit::File &file : IconKit::layout(options.parts, options.base, vector)) {
        using Kind = IconKit::File::Kind;
        std::function<std::optional<QByteArray>()> bytes;
        switch (file.kind) {
        case Kind::Png: {
            const QImage drawing = drawings.value(file.picture);
            if (drawing.isNull())
                return std::nullopt;
            const int index = pngs.add(pictureKey(file.side, file.picture, file.opaque), [&] {
                const QImage canvas = placed(drawing, file.side);
                return file.opaque ? overBackground(canvas, options.background) : canvas;
            });
            bytes = [index, &pngs] { return pngs.bytes(index); };
            break;
        }
        case Kind::Ico: {
            // The favicon stays in the form every browser reads.
            const IcoFile::Packing packing = file.path == QLatin1String("favicon.ico")
                                                 ? IcoFile::Packing::Standard
                                                 : options.packing;
            bytes = [&drawings, packing, sizes = file.entries] {
                return ico(sizes, drawings, packing);
            };
            break;
        }
        case Kind::Icns:
            bytes = icns(drawings, pngs);
            break;
        case Kind::Svg:
            bytes = [&pictures] { return pictures.svg; };
            break;
        default:
            bytes = [&options, kind = file.kind, vector] { return kitText(kind, options, vector); };
            break;
        }
        made.append({file.path, bytes});
    }
    pngs.pack();
    QList<KitFileBytes> files;
    for (const auto &[path, bytes] : std::as_const(made)) {
        const std::optional<QByteArray> data = bytes();
        if (!data || data->isEmpty())
            return std::nullopt;
        files.append({path, *data});
    }
    return files;
}

std::optional<QList<KitFileBytes>> makeKitFiles(const KitOptions &options,
                                                const KitMaterial &material)
{
    if (material.sizes.size() != material.drawings.size())
        return std::nullopt;
    KitPictures pictures;
    for (qsizetype i = 0; i < material.sizes.size(); ++i) {
        const int side = material.sizes[i];
        const QByteArray &rgba = material.drawings[i];
        if (rgba.size() != qsizetype(side) * side * 4)
            return std::nullopt;
        const QImage drawing(reinterpret_cast<const uchar *>(rgba.constData()), side, side,
                             side * 4, QImage::Format_RGBA8888);
        pictures.drawings.insert(side, drawing.convertToFormat(QImage::Format_ARGB32));
    }
    if (!material.svgSource.isEmpty()) {
        QByteArray source = material.svgSource;
        QBuffer buffer(&source);
        buffer.open(QIODevice::ReadOnly);
        const SvgDocument::Reading reading =
            SvgDocument::read(buffer, SvgDocument::DrawingLimits, true);
        pictures.svg = SvgDocument::forWeb(reading.selfContained);
        if (pictures.svg.isEmpty())
            return std::nullopt;
    }
    return makeKitFiles(options, pictures);
}
