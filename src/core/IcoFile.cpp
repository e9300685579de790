#include "IcoFile.h"

#include <QtEndian>
#include <algorithm>
#include <utility>

namespace {
constexpr char PngSignature[] = "\x89PNG\r\n\x1a\n";

quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

int sideOf(char stored)
{
    return quint8(stored) ? quint8(stored) : LargestIconSide;
}

// The picture inside an entry must not claim more than the largest icon either.
bool imageFits(const char *data, qint64 size)
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

IcoFile::IcoFile(const QByteArray &bytes) : m_bytes(bytes)
{
    const qsizetype size = bytes.size();
    const char *p = bytes.constData();
    if (size < HeaderSize || u16(p) != 0 || u16(p + 2) != 1 || u16(p + 4) == 0) {
        m_headerFault = Fault::NoHeader;
        return;
    }
    const int count = u16(p + 4);
    if (HeaderSize + EntrySize * count > size) {
        m_headerFault = Fault::DirectoryCutOff;
        return;
    }
    for (int i = 0; i < count; ++i) {
        const char *e = p + HeaderSize + EntrySize * i;
        Entry entry;
        entry.width = sideOf(e[0]);
        entry.height = sideOf(e[1]);
        entry.colours = quint8(e[2]);
        entry.planes = u16(e + 4);
        entry.bitCount = u16(e + 6);
        entry.length = u32(e + 8);
        entry.offset = u32(e + 12);
        const QByteArray start = bytes.mid(entry.offset, std::min<qint64>(entry.length, 8));
        entry.storage = start == QByteArray(PngSignature, 8) ? Storage::Png : Storage::Bmp;
        m_entries << entry;
    }
}

QByteArray IcoFile::dataOf(const Entry &entry) const
{
    return m_bytes.mid(entry.offset, entry.length);
}

IcoFile::Fault IcoFile::fault(const QList<int> &sizes) const
{
    if (m_headerFault != Fault::None)
        return m_headerFault;
    const qint64 directoryEnd = HeaderSize + EntrySize * m_entries.size();
    QList<std::pair<qint64, qint64>> ranges; // where each entry's data starts and ends
    for (const Entry &entry : m_entries) {
        if (entry.length == 0)
            return Fault::EmptyEntry;
        if (entry.offset < directoryEnd)
            return Fault::DataInDirectory;
        if (entry.offset + entry.length > m_bytes.size())
            return Fault::DataPastEnd;
        if (!imageFits(m_bytes.constData() + entry.offset, entry.length))
            return Fault::ImageTooLarge;
        ranges.append({entry.offset, entry.offset + entry.length});
    }
    // Entries that share bytes are a spoiled file, whatever each seems to hold.
    std::sort(ranges.begin(), ranges.end());
    for (qsizetype i = 1; i < ranges.size(); ++i) {
        if (ranges[i].first < ranges[i - 1].second)
            return Fault::SharedData;
    }
    if (sizes.isEmpty())
        return Fault::None;
    QList<int> found;
    for (const Entry &entry : m_entries) {
        if (!entry.isSquare())
            return Fault::NotSquare;
        found << entry.width;
    }
    QList<int> wanted = sizes;
    std::sort(found.begin(), found.end());
    std::sort(wanted.begin(), wanted.end());
    return found == wanted ? Fault::None : Fault::NotTheSizesAsked;
}

IcoFile::Storage IcoFile::storageFor(int side, int smallestSide, qsizetype entryCount,
                                     Packing packing)
{
    if (entryCount < 2)
        return Storage::Bmp;
    if (packing == Packing::Compact)
        return side >= SmallestCompressed && side > smallestSide ? Storage::Png : Storage::Bmp;
    return side >= LargestIconSide ? Storage::Png : Storage::Bmp;
}

QByteArray IcoFile::write(const QList<Image> &images)
{
    // The callers make at most a set's entries; the directory counts in 16 bits.
    Q_ASSERT(images.size() <= 0xffff);
    QByteArray header(HeaderSize + EntrySize * images.size(), '\0');
    qToLittleEndian<quint16>(1, header.data() + 2);
    qToLittleEndian<quint16>(quint16(images.size()), header.data() + 4);
    QByteArray body;
    for (qsizetype i = 0; i < images.size(); ++i) {
        const Entry &entry = images[i].entry;
        char *e = header.data() + HeaderSize + EntrySize * i;
        e[0] = char(entry.width & 0xff);
        e[1] = char(entry.height & 0xff);
        e[2] = char(entry.colours);
        qToLittleEndian<quint16>(entry.planes, e + 4);
        qToLittleEndian<quint16>(entry.bitCount, e + 6);
        qToLittleEndian<quint32>(quint32(images[i].data.size()), e + 8);
        qToLittleEndian<quint32>(quint32(header.size() + body.size()), e + 12);
        body += images[i].data;
    }
    return header + body;
}
