#include "IconKitFiles.h"

#include "IconCheck.h"
#include "IconPack.h"
#include "TightPng.h"
#include "core/IcnsFile.h"
#include "core/SvgDocument.h"

#include <QBuffer>

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

std::optional<QByteArray> icns(const QMap<int, QImage> &drawings)
{
    QList<IcnsFile::Entry> entries;
    for (const IconKit::IcnsEntry &entry : IconKit::icnsEntries()) {
        const QImage picture = drawings.value(entry.side);
        if (picture.isNull())
            return std::nullopt;
        const QByteArray type(entry.type);
        if (entry.png) {
            entries.append({type, tightPng(picture)});
        } else {
            entries.append({type, IcnsFile::packedColour(picture)});
            entries.append({type == "is32" ? QByteArray("s8mk") : QByteArray("l8mk"),
                            IcnsFile::alphaMask(picture)});
        }
    }
    return IcnsFile::write(entries);
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
    QList<KitFileBytes> files;
    for (const IconKit::File &file : IconKit::layout(options.parts, options.base, vector)) {
        using Kind = IconKit::File::Kind;
        std::optional<QByteArray> bytes;
        switch (file.kind) {
        case Kind::Png: {
            const QImage drawing = drawings.value(file.picture);
            if (drawing.isNull())
                return std::nullopt;
            const QImage canvas = placed(drawing, file.side);
            bytes = tightPng(file.opaque ? overBackground(canvas, options.background) : canvas);
            break;
        }
        case Kind::Ico:
            // The favicon stays in the form every browser reads.
            bytes = ico(file.entries, drawings,
                        file.path == QLatin1String("favicon.ico") ? IcoFile::Packing::Standard
                                                                  : options.packing);
            break;
        case Kind::Icns:
            bytes = icns(drawings);
            break;
        case Kind::Svg:
            bytes = pictures.svg;
            break;
        default:
            bytes = kitText(file.kind, options, vector);
            break;
        }
        if (!bytes || bytes->isEmpty())
            return std::nullopt;
        files.append({file.path, *bytes});
    }
    return files;
}

std::optional<QList<KitFileBytes>> makeKitFiles(const KitOptions &options,
                                                const KitMaterial &material)
{
    if (material.sizes.size() != material.pngs.size())
        return std::nullopt;
    KitPictures pictures;
    for (qsizetype i = 0; i < material.sizes.size(); ++i)
        pictures.drawings.insert(material.sizes[i], QImage::fromData(material.pngs[i], "PNG"));
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
