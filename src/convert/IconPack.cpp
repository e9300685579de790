#include "IconPack.h"

#include "IconCheck.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QtEndian>
#include <algorithm>

namespace {
constexpr qsizetype HeaderSize = 6;
constexpr qsizetype EntrySize = 16;
constexpr qsizetype DibHeaderSize = 40;

struct Entry
{
    int width = 0;
    int height = 0;
    QByteArray data;
};

bool isPng(const QByteArray &data)
{
    return data.startsWith("\x89PNG\r\n\x1a\n");
}

// Only the largest size is stored compressed, as Windows expects.
// Only the largest entry of an icon with several is compressed. A lone 256 px entry
// stays a DIB: GTK's reader draws no compressed entry, and would show nothing.
bool wantsPng(int width, int height, qsizetype entries)
{
    return entries > 1 && std::max(width, height) >= LargestIconSide;
}

int maskRowBytes(int width)
{
    return (width + 31) / 32 * 4;
}

QList<Entry> entriesOf(const QByteArray &icon)
{
    QList<Entry> entries;
    const char *p = icon.constData();
    const int count = qFromLittleEndian<quint16>(p + 4);
    for (int i = 0; i < count; ++i) {
        const char *e = p + HeaderSize + EntrySize * i;
        Entry entry;
        entry.width = quint8(e[0]) ? quint8(e[0]) : LargestIconSide;
        entry.height = quint8(e[1]) ? quint8(e[1]) : LargestIconSide;
        entry.data =
            icon.mid(qFromLittleEndian<quint32>(e + 12), qFromLittleEndian<quint32>(e + 8));
        entries << entry;
    }
    return entries;
}

bool isCanonicalEntry(const Entry &entry, qsizetype entries)
{
    const QByteArray &d = entry.data;
    if (wantsPng(entry.width, entry.height, entries)) {
        // IHDR: bit depth and colour type follow width and height.
        return isPng(d) && d.size() > 26 && d[24] == 8 && d[25] == 6;
    }
    if (isPng(d) || d.size() < DibHeaderSize)
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

// Decodes one entry through Qt's own icon reader, which knows every kind of DIB.
QImage decode(const Entry &entry, const char *directoryEntry)
{
    if (isPng(entry.data))
        return QImage::fromData(entry.data, "PNG");
    QByteArray single(HeaderSize + EntrySize, '\0');
    qToLittleEndian<quint16>(1, single.data() + 2);
    qToLittleEndian<quint16>(1, single.data() + 4);
    std::copy(directoryEntry, directoryEntry + 12, single.data() + HeaderSize);
    qToLittleEndian<quint32>(quint32(HeaderSize + EntrySize), single.data() + HeaderSize + 12);
    single += entry.data;
    QBuffer buffer(&single);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    return reader.read();
}

QByteArray encodePng(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    // Qt writes ARGB32 as 8-bit RGBA, whatever the pixels hold.
    image.save(&buffer, "PNG");
    return data;
}

QByteArray encodeDib(const QImage &image)
{
    const int w = image.width();
    const int h = image.height();
    const int maskRow = maskRowBytes(w);
    QByteArray data(DibHeaderSize + qsizetype(w) * h * 4 + qsizetype(maskRow) * h, '\0');
    char *p = data.data();
    qToLittleEndian<quint32>(DibHeaderSize, p);
    qToLittleEndian<qint32>(w, p + 4);
    qToLittleEndian<qint32>(2 * h, p + 8);
    qToLittleEndian<quint16>(1, p + 12);
    qToLittleEndian<quint16>(32, p + 14);
    qToLittleEndian<quint32>(quint32(data.size() - DibHeaderSize), p + 20);
    char *pixels = p + DibHeaderSize;
    char *mask = pixels + qsizetype(w) * h * 4;
    for (int y = 0; y < h; ++y) {
        // Bottom-up rows; a clear pixel is also set in the mask for readers without alpha.
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(h - 1 - y));
        for (int x = 0; x < w; ++x) {
            qToLittleEndian<quint32>(line[x], pixels + (qsizetype(y) * w + x) * 4);
            if (qAlpha(line[x]) == 0)
                mask[qsizetype(y) * maskRow + x / 8] |= char(0x80 >> (x % 8));
        }
    }
    return data;
}
} // namespace

bool isCanonicalIcon(const QByteArray &icon)
{
    if (!isWellFormedIcon(icon))
        return false;
    const QList<Entry> entries = entriesOf(icon);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!isCanonicalEntry(entries[i], entries.size()))
            return false;
        if (i > 0 && std::max(entries[i].width, entries[i].height) >
                         std::max(entries[i - 1].width, entries[i - 1].height))
            return false;
    }
    return true;
}

std::optional<QByteArray> repackIcon(const QByteArray &icon)
{
    if (!isWellFormedIcon(icon))
        return std::nullopt;
    QList<QImage> images;
    const QList<Entry> entries = entriesOf(icon);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QImage image = decode(entries[i], icon.constData() + HeaderSize + EntrySize * i)
                                 .convertToFormat(QImage::Format_ARGB32);
        if (image.isNull() || image.width() > LargestIconSide || image.height() > LargestIconSide)
            return std::nullopt;
        images << image;
    }
    std::stable_sort(images.begin(), images.end(), [](const QImage &a, const QImage &b) {
        return std::max(a.width(), a.height()) > std::max(b.width(), b.height());
    });

    QByteArray header(HeaderSize + EntrySize * images.size(), '\0');
    qToLittleEndian<quint16>(1, header.data() + 2);
    qToLittleEndian<quint16>(quint16(images.size()), header.data() + 4);
    QByteArray body;
    for (qsizetype i = 0; i < images.size(); ++i) {
        const QImage &image = images[i];
        const QByteArray data = wantsPng(image.width(), image.height(), images.size())
                                    ? encodePng(image)
                                    : encodeDib(image);
        if (data.isEmpty())
            return std::nullopt;
        char *e = header.data() + HeaderSize + EntrySize * i;
        e[0] = char(image.width() & 0xff);
        e[1] = char(image.height() & 0xff);
        qToLittleEndian<quint16>(1, e + 4);
        qToLittleEndian<quint16>(32, e + 6);
        qToLittleEndian<quint32>(quint32(data.size()), e + 8);
        qToLittleEndian<quint32>(quint32(header.size() + body.size()), e + 12);
        body += data;
    }
    return header + body;
}
