#include "IconCheck.h"

#include <QtEndian>
#include <algorithm>
#include <utility>

namespace {
constexpr qsizetype HeaderSize = 6;
constexpr qsizetype EntrySize = 16;
constexpr char PngSignature[] = "\x89PNG\r\n\x1a\n";

quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

// The image inside an entry must not claim more than the largest icon either.
bool imageFits(const char *data, quint32 size)
{
    if (size >= 24 && QByteArray::fromRawData(data, 8) == QByteArray(PngSignature, 8)) {
        // IHDR: big-endian width and height right after the chunk header.
        const quint32 width = qFromBigEndian<quint32>(data + 16);
        const quint32 height = qFromBigEndian<quint32>(data + 20);
        return width >= 1 && height >= 1 && width <= LargestIconSide && height <= LargestIconSide;
    }
    if (size < 12)
        return false;
    // A DIB: its header size, width and the doubled height (image and mask).
    const quint32 headerSize = u32(data);
    if (headerSize < 12 || headerSize > size)
        return false;
    qint64 width = 0;
    qint64 height = 0;
    if (headerSize == 12) {
        width = u16(data + 4);
        height = u16(data + 6);
    } else {
        width = qint32(u32(data + 4));
        height = qint32(u32(data + 8));
    }
    if (height < 0)
        height = -height;
    return width >= 1 && height >= 1 && width <= LargestIconSide && height <= 2 * LargestIconSide;
}
} // namespace

bool isWellFormedIcon(const QByteArray &bytes)
{
    const qsizetype size = bytes.size();
    if (size < HeaderSize)
        return false;
    const char *p = bytes.constData();
    const quint16 count = u16(p + 4);
    if (u16(p) != 0 || u16(p + 2) != 1 || count == 0)
        return false;
    const qsizetype directoryEnd = HeaderSize + EntrySize * count;
    if (directoryEnd > size)
        return false;
    QList<std::pair<qint64, qint64>> images; // where each starts and ends
    for (int i = 0; i < count; ++i) {
        const char *entry = p + HeaderSize + EntrySize * i;
        const quint32 length = u32(entry + 8);
        const quint32 offset = u32(entry + 12);
        if (length == 0 || offset < directoryEnd || qint64(offset) + length > size)
            return false;
        if (!imageFits(p + offset, length))
            return false;
        images.append({offset, qint64(offset) + length});
    }
    // Entries that share bytes are a spoiled file, whatever each seems to hold.
    std::sort(images.begin(), images.end());
    for (qsizetype i = 1; i < images.size(); ++i) {
        if (images[i].first < images[i - 1].second)
            return false;
    }
    return true;
}

bool isWellFormedIcon(const QByteArray &bytes, const QList<int> &sizes)
{
    if (!isWellFormedIcon(bytes))
        return false;
    if (sizes.isEmpty())
        return true;
    const char *p = bytes.constData();
    QList<int> found;
    for (int i = 0; i < u16(p + 4); ++i) {
        const char *entry = p + HeaderSize + EntrySize * i;
        const int width = quint8(entry[0]) ? quint8(entry[0]) : LargestIconSide;
        const int height = quint8(entry[1]) ? quint8(entry[1]) : LargestIconSide;
        if (width != height)
            return false;
        found << width;
    }
    QList<int> wanted = sizes;
    std::sort(found.begin(), found.end());
    std::sort(wanted.begin(), wanted.end());
    return found == wanted;
}
