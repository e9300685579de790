#include "IconPack.h"

#include "TightPng.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QSize>
#include <QtEndian>
#include <algorithm>

namespace {
constexpr qsizetype DibHeaderSize = 40;

int maskRowBytes(int width)
{
    return (width + 31) / 32 * 4;
}

// Readers without alpha draw by the mask alone: a pixel less than half opaque is
// left out, so a soft edge neither vanishes nor turns into a dark rim.
void setMask(const char *pixels, char *mask, int w, int h)
{
    const int maskRow = maskRowBytes(w);
    std::fill_n(mask, qsizetype(maskRow) * h, '\0');
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (quint8(pixels[(qsizetype(y) * w + x) * 4 + 3]) < 128)
                mask[qsizetype(y) * maskRow + x / 8] |= char(0x80 >> (x % 8));
        }
    }
}

constexpr qsizetype PngSignatureSize = 8;

// A PNG's chunks that only say how to show or describe the pixels (a lower-case
// first letter): colour, resolution, dates and text, left out of every entry.
bool isAncillary(const QByteArray &png, qsizetype chunk)
{
    return (png[chunk + 4] & 0x20) != 0;
}

// Where the chunk after the one at `chunk` starts; past the end when it is cut off.
qsizetype nextChunk(const QByteArray &png, qsizetype chunk)
{
    return chunk + 12 + qsizetype(qFromBigEndian<quint32>(png.constData() + chunk));
}

bool hasAncillaryChunks(const QByteArray &png)
{
    for (qsizetype at = PngSignatureSize; at + 8 <= png.size(); at = nextChunk(png, at)) {
        if (isAncillary(png, at))
            return true;
    }
    return false;
}

QByteArray withoutAncillaryChunks(const QByteArray &png)
{
    QByteArray kept = png.left(PngSignatureSize);
    for (qsizetype at = PngSignatureSize; at + 8 <= png.size(); at = nextChunk(png, at)) {
        if (!isAncillary(png, at))
            kept += png.mid(at, nextChunk(png, at) - at);
    }
    return kept;
}

int sideOf(int width, int height)
{
    return std::max(width, height);
}

int smallestSide(const QList<QSize> &sizes)
{
    int smallest = LargestIconSide;
    for (const QSize size : sizes)
        smallest = std::min(smallest, sideOf(size.width(), size.height()));
    return smallest;
}

QList<QSize> sizesOf(const IcoFile &icon)
{
    QList<QSize> sizes;
    for (const IcoFile::Entry &entry : icon.entries())
        sizes << QSize(entry.width, entry.height);
    return sizes;
}

bool isCanonicalEntry(const IcoFile &icon, const IcoFile::Entry &entry, IcoFile::Packing packing)
{
    const QByteArray d = icon.dataOf(entry);
    const QList<QSize> sizes = sizesOf(icon);
    if (IcoFile::storageFor(sideOf(entry.width, entry.height), smallestSide(sizes), sizes.size(),
                            packing) == IcoFile::Storage::Png) {
        // IHDR: bit depth and colour type follow width and height.
        return entry.storage == IcoFile::Storage::Png && d.size() > 26 && d[24] == 8 &&
               d[25] == 6 && !hasAncillaryChunks(d);
    }
    if (entry.storage == IcoFile::Storage::Png || d.size() < DibHeaderSize)
        return false;
    const char *h = d.constData();
    const qint64 pixels = qint64(entry.width) * entry.height * 4;
    const qint64 mask = qint64(maskRowBytes(entry.width)) * entry.height;
    return qFromLittleEndian<quint32>(h) == DibHeaderSize &&
           qFromLittleEndian<qint32>(h + 4) == entry.width &&
           qFromLittleEndian<qint32>(h + 8) == 2 * entry.height &&
           qFromLittleEndian<quint16>(h + 14) == 32 && qFromLittleEndian<quint32>(h + 16) == 0 &&
           qFromLittleEndian<qint32>(h + 24) == 0 && qFromLittleEndian<qint32>(h + 28) == 0 &&
           d.size() >= DibHeaderSize + pixels + mask;
}

} // namespace

QImage decodeIconEntry(const IcoFile &icon, const IcoFile::Entry &entry)
{
    const QByteArray data = icon.dataOf(entry);
    if (entry.storage == IcoFile::Storage::Png)
        return QImage::fromData(data, "PNG");
    QByteArray single = IcoFile::write({{entry, data}});
    QBuffer buffer(&single);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    return reader.read();
}

namespace {

// A bitmap entry of the shape above, read exactly: Qt's reader may hand its pixels
// back premultiplied.
QImage decodeCanonicalDib(const QByteArray &data, int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    const char *pixels = data.constData() + DibHeaderSize;
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(h - 1 - y));
        for (int x = 0; x < w; ++x)
            line[x] = qFromLittleEndian<quint32>(pixels + (qsizetype(y) * w + x) * 4);
    }
    return image;
}

QByteArray encodePng(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    // Qt writes ARGB32 as 8-bit RGBA, whatever the pixels hold.
    image.save(&buffer, "PNG");
    return withoutAncillaryChunks(data);
}

QByteArray encodeDib(const QImage &image)
{
    const int w = image.width();
    const int h = image.height();
    QByteArray data(DibHeaderSize + qsizetype(w) * h * 4 + qsizetype(maskRowBytes(w)) * h, '\0');
    char *p = data.data();
    qToLittleEndian<quint32>(DibHeaderSize, p);
    qToLittleEndian<qint32>(w, p + 4);
    qToLittleEndian<qint32>(2 * h, p + 8);
    qToLittleEndian<quint16>(1, p + 12);
    qToLittleEndian<quint16>(32, p + 14);
    qToLittleEndian<quint32>(quint32(data.size() - DibHeaderSize), p + 20);
    char *pixels = p + DibHeaderSize;
    for (int y = 0; y < h; ++y) {
        // Bottom-up rows.
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(h - 1 - y));
        for (int x = 0; x < w; ++x)
            qToLittleEndian<quint32>(line[x], pixels + (qsizetype(y) * w + x) * 4);
    }
    setMask(pixels, pixels + qsizetype(w) * h * 4, w, h);
    return data;
}
} // namespace

bool isCanonicalIcon(const QByteArray &bytes, IcoFile::Packing packing)
{
    const IcoFile icon(bytes);
    if (icon.fault() != IcoFile::Fault::None)
        return false;
    const QList<IcoFile::Entry> &entries = icon.entries();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!isCanonicalEntry(icon, entries[i], packing))
            return false;
        if (i > 0 && std::max(entries[i].width, entries[i].height) >
                         std::max(entries[i - 1].width, entries[i - 1].height))
            return false;
    }
    return true;
}

std::optional<QByteArray> repackIcon(const QByteArray &bytes)
{
    const IcoFile icon(bytes);
    if (icon.fault() != IcoFile::Fault::None)
        return std::nullopt;
    QList<QImage> images;
    for (const IcoFile::Entry &entry : icon.entries()) {
        const QImage image = decodeIconEntry(icon, entry).convertToFormat(QImage::Format_ARGB32);
        if (image.isNull() || image.width() > LargestIconSide || image.height() > LargestIconSide)
            return std::nullopt;
        images << image;
    }
    std::stable_sort(images.begin(), images.end(), [](const QImage &a, const QImage &b) {
        return std::max(a.width(), a.height()) > std::max(b.width(), b.height());
    });

    QList<IcoFile::Image> packed;
    for (const QImage &image : images) {
        const bool png = IcoFile::storageFor(sideOf(image.width(), image.height()), 0,
                                             images.size()) == IcoFile::Storage::Png;
        const QByteArray data = png ? encodePng(image) : encodeDib(image);
        if (data.isEmpty())
            return std::nullopt;
        IcoFile::Entry entry;
        entry.width = image.width();
        entry.height = image.height();
        packed.append({entry, data});
    }
    return IcoFile::write(packed);
}

QByteArray packIcon(const QList<QImage> &pictures, IcoFile::Packing packing)
{
    int smallest = LargestIconSide;
    for (const QImage &picture : pictures)
        smallest = std::min(smallest, sideOf(picture.width(), picture.height()));
    QList<IcoFile::Image> packed;
    for (const QImage &picture : pictures) {
        const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
        const bool png = IcoFile::storageFor(sideOf(image.width(), image.height()), smallest,
                                             pictures.size(), packing) == IcoFile::Storage::Png;
        IcoFile::Entry entry;
        entry.width = image.width();
        entry.height = image.height();
        packed.append({entry, png ? tightPng(image) : encodeDib(image)});
    }
    return IcoFile::write(packed);
}

std::optional<QByteArray> compactIcon(const QByteArray &bytes)
{
    const IcoFile icon(bytes);
    if (!isCanonicalIcon(bytes))
        return std::nullopt;
    const QList<QSize> sizes = sizesOf(icon);
    QList<IcoFile::Image> packed;
    for (const IcoFile::Entry &entry : icon.entries()) {
        QByteArray data = icon.dataOf(entry);
        if (IcoFile::storageFor(sideOf(entry.width, entry.height), smallestSide(sizes),
                                sizes.size(), IcoFile::Packing::Compact) == IcoFile::Storage::Png) {
            const QImage image = entry.storage == IcoFile::Storage::Png
                                     ? QImage::fromData(data, "PNG")
                                     : decodeCanonicalDib(data, entry.width, entry.height);
            data = tightPng(image);
            if (data.isEmpty())
                return std::nullopt;
        }
        packed.append({entry, data});
    }
    return IcoFile::write(packed);
}

QByteArray withMasksFromAlpha(const QByteArray &bytes)
{
    const IcoFile icon(bytes);
    QByteArray masked = bytes;
    for (const IcoFile::Entry &entry : icon.entries()) {
        const qint64 pixelBytes = qint64(entry.width) * entry.height * 4;
        if (entry.storage == IcoFile::Storage::Png ||
            entry.length <
                DibHeaderSize + pixelBytes + qint64(maskRowBytes(entry.width)) * entry.height)
            continue;
        char *pixels = masked.data() + entry.offset + DibHeaderSize;
        setMask(pixels, pixels + pixelBytes, entry.width, entry.height);
    }
    return masked;
}
