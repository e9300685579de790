#include "PictureInput.h"

#include "PictureColour.h"
#include "core/IcoFile.h"
#include "core/SvgDocument.h"
#include "platform/RegularFile.h"

#include <QImageReader>
#include <QtEndian>
#include <cstring>
#include <utility>

namespace {
// The converter's name for SVG drawn by our own delegate: it is no coder of
// ImageMagick's, so neither its internal renderer nor a delegate at the picture's
// own size is ever used.
constexpr char SizedSvg[] = "qrsvg";
constexpr qint64 HeadBytes = 4096;
// TIFF's directory entries that give the size; more entries than this is no picture.
constexpr quint16 TiffWidth = 256;
constexpr quint16 TiffHeight = 257;
constexpr quint64 MostTiffEntries = 4096;

bool has(const QByteArray &head, qsizetype at, const char *bytes, qsizetype length)
{
    return head.size() >= at + length && std::memcmp(head.constData() + at, bytes, length) == 0;
}

quint32 little(const QByteArray &bytes, qsizetype at, int width)
{
    if (bytes.size() < at + width)
        return 0;
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | quint8(bytes.at(at + i));
    return value;
}

// The reader for a picture with one of the signatures we accept.
QByteArray signedCoder(const QByteArray &head)
{
    if (has(head, 0, "\x89PNG\r\n\x1a\n", 8))
        return "png";
    if (has(head, 0, "\xff\xd8\xff", 3))
        return "jpeg";
    if (has(head, 0, "GIF87a", 6) || has(head, 0, "GIF89a", 6))
        return "gif";
    if (has(head, 0, "BM", 2))
        return "bmp";
    if (has(head, 0, "RIFF", 4) && has(head, 8, "WEBP", 4))
        return "webp";
    for (const char *tiff : {"II*\0", "MM\0*", "II+\0", "MM\0+"}) {
        if (has(head, 0, tiff, 4))
            return "tiff";
    }
    if (has(head, 0, "\0\0\1\0", 4) && little(head, 4, 2) > 0)
        return "ico";
    if (head.size() > 2 && head.at(0) == 'P' && head.at(1) >= '1' && head.at(1) <= '7' &&
        QChar::isSpace(head.at(2)))
        return "pnm";
    if (head.startsWith("/* XPM */"))
        return "xpm";
    return {};
}

// Signature-less formats, known by their extension.
QByteArray namedCoder(const QString &name)
{
    return name.endsWith(QLatin1String(".tga"), Qt::CaseInsensitive) ? "tga" : QByteArray();
}

QSize webpSize(const QByteArray &head)
{
    if (has(head, 12, "VP8X", 4))
        return {int(little(head, 24, 3)) + 1, int(little(head, 27, 3)) + 1};
    if (has(head, 12, "VP8L", 4)) {
        const quint32 bits = little(head, 21, 4);
        return {int(bits & 0x3fff) + 1, int(bits >> 14 & 0x3fff) + 1};
    }
    if (has(head, 12, "VP8 ", 4))
        return {int(little(head, 26, 2) & 0x3fff), int(little(head, 28, 2) & 0x3fff)};
    return {};
}

// The first directory's width and height, in classic or big TIFF.
QSize tiffSize(QIODevice &file, const QByteArray &head)
{
    const bool big = head.at(2) == '+' || head.at(3) == '+';
    const bool motorola = head.startsWith("MM");
    const auto number = [motorola](const QByteArray &bytes, qsizetype at, int width) -> quint64 {
        quint64 value = 0;
        for (int i = 0; i < width && at + i < bytes.size(); ++i) {
            const int from = motorola ? i : width - 1 - i;
            value = value << 8 | quint8(bytes.at(at + from));
        }
        return value;
    };
    const int offsetBytes = big ? 8 : 4;
    const int entryBytes = big ? 20 : 12;
    const quint64 directory = number(head, big ? 8 : 4, offsetBytes);
    if (!file.seek(qint64(directory)))
        return {};
    const quint64 entries = number(file.read(big ? 8 : 2), 0, big ? 8 : 2);
    if (entries > MostTiffEntries)
        return {};
    const QByteArray table = file.read(qint64(entries) * entryBytes);
    QSize size(-1, -1);
    for (qsizetype at = 0; at + entryBytes <= table.size(); at += entryBytes) {
        const quint64 tag = number(table, at, 2);
        const int width = number(table, at + 2, 2) == 3 ? 2 : 4; // SHORT or LONG
        const int value = int(number(table, at + 4 + offsetBytes, width));
        if (tag == TiffWidth)
            size.setWidth(value);
        else if (tag == TiffHeight)
            size.setHeight(value);
    }
    return size;
}

// The P7 header's WIDTH and HEIGHT lines.
QSize pamSize(const QByteArray &head)
{
    QSize size(-1, -1);
    for (const QByteArray &line : head.split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.first() == "ENDHDR")
            break;
        if (words.size() == 2 && words.first() == "WIDTH")
            size.setWidth(words.last().toInt());
        else if (words.size() == 2 && words.first() == "HEIGHT")
            size.setHeight(words.last().toInt());
    }
    return size;
}

QSize declaredSize(QIODevice &file, const QByteArray &head, const QByteArray &coder)
{
    if (coder == "png" && has(head, 12, "IHDR", 4))
        return {qFromBigEndian<qint32>(head.constData() + 16),
                qFromBigEndian<qint32>(head.constData() + 20)};
    if (coder == "gif")
        return {int(little(head, 6, 2)), int(little(head, 8, 2))};
    if (coder == "tga")
        return {int(little(head, 12, 2)), int(little(head, 14, 2))};
    if (coder == "webp")
        return webpSize(head);
    if (coder == "tiff")
        return tiffSize(file, head);
    if (coder == "pnm" && head.at(1) == '7')
        return pamSize(head);
    // Qt reads the rest from their headers alone.
    const QByteArray qtFormat = coder == "pnm" ? QByteArray("ppm") : coder;
    file.seek(0);
    QImageReader reader(&file, qtFormat);
    reader.setDecideFormatFromContent(false);
    return reader.size();
}

struct PictureFormat
{
    QByteArray coder;    // ImageMagick's name for the raster reader ("png"); empty for none
    bool vector = false; // SVG, plain or compressed
    QSize size;          // as the header declares it; invalid when unread
};

// An icon's largest entry (of the most colours among equals), by its directory;
// -1 when it has none.
struct Largest
{
    int index = -1;
    QSize size;
};
Largest largestIconEntry(QIODevice &file)
{
    file.seek(0);
    const QByteArray head = file.read(IcoFile::HeaderSize);
    const qint64 count = head.size() == IcoFile::HeaderSize ? little(head, 4, 2) : 0;
    const IcoFile icon(head + file.read(count * IcoFile::EntrySize));
    file.seek(0);
    Largest largest;
    const QList<IcoFile::Entry> &entries = icon.entries();
    const auto rank = [](const IcoFile::Entry &e) {
        return std::pair(qint64(e.width) * e.height, e.bitCount);
    };
    for (int i = 0; i < entries.size(); ++i) {
        if (largest.index < 0 || rank(entries[i]) > rank(entries[largest.index]))
            largest = {i, QSize(entries[i].width, entries[i].height)};
    }
    return largest;
}

PictureFormat pictureFormatOf(QIODevice &file, const QString &name)
{
    PictureFormat format;
    if (!file.seek(0))
        return format;
    const QByteArray head = file.read(HeadBytes);
    format.coder = signedCoder(head);
    if (format.coder.isEmpty()) {
        // Qt's own SVG reader knows SVG by more than its first bytes.
        file.seek(0);
        format.vector = SvgDocument::looksLikeSvg(head) ||
                        QImageReader(&file).format().startsWith("svg") ||
                        name.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive) ||
                        name.endsWith(QLatin1String(".svgz"), Qt::CaseInsensitive);
        if (!format.vector)
            format.coder = namedCoder(name);
    }
    if (!format.coder.isEmpty())
        format.size = declaredSize(file, head, format.coder);
    file.seek(0);
    return format;
}
} // namespace

PictureInput pictureInput(const QString &path, const QString &inputName)
{
    PictureInput picture;
    picture.path = path;
    picture.name = inputName;
    const auto file = FileSystem::openRegularFile(path);
    if (!file) {
        picture.fault = {Failure::Reason::SourceUnreadable, {}, {}};
        return picture;
    }
    const PictureFormat format = pictureFormatOf(*file, path);
    if (format.vector) {
        picture.vector = true;
        picture.reader = QLatin1String(SizedSvg);
        const SvgDocument::Reading svg = SvgDocument::read(*file, SvgDocument::DrawingLimits);
        picture.size = svg.size;
        if (svg.tooLarge)
            picture.fault = {Failure::Reason::PictureTooLarge, {}, {}};
        return picture;
    }
    if (format.coder.isEmpty()) {
        picture.fault = {Failure::Reason::NotAPicture, {}, {}};
        return picture;
    }
    picture.reader = QString::fromLatin1(format.coder);
    picture.size = format.size;
    if (format.coder == "ico") {
        if (const Largest largest = largestIconEntry(*file); largest.index >= 0) {
            picture.frame = largest.index;
            picture.size = largest.size;
        }
    }
    picture.storedGamma = storedGammaToUndo(*file);
    picture.fault = sizeFault(picture.size);
    return picture;
}

QStringList converterSizeLimits()
{
    const QString side = QString::number(MostPixelsASide);
    return {QStringLiteral("-limit"), QStringLiteral("width"),  side,
            QStringLiteral("-limit"), QStringLiteral("height"), side};
}

Failure sizeFault(QSize size)
{
    if (!size.isValid())
        return {};
    const auto tooLarge = [size](Failure::Reason reason, qint64 limit) {
        Failure failure(reason);
        failure.size = size;
        failure.limit = limit;
        return failure;
    };
    if (size.width() > MostPixelsASide || size.height() > MostPixelsASide)
        return tooLarge(Failure::Reason::TooWideToConvert, MostPixelsASide);
    if (qint64(size.width()) * size.height() > MostPixels)
        return tooLarge(Failure::Reason::TooManyPixels, MostPixels);
    return {};
}
