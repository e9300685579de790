#include "IcnsFile.h"

#include <QImage>
#include <QtEndian>

namespace IcnsFile {
namespace {
constexpr qsizetype HeaderSize = 8;
constexpr int LongestLiteral = 128; // control byte 0x00..0x7f: that many plus one
constexpr int ShortestRun = 3;      // control byte 0x80..0xff: a byte repeated 3..130 times
constexpr int LongestRun = 130;

void appendHeader(QByteArray &out, const QByteArray &type, qsizetype length)
{
    out += type.left(4);
    char size[4];
    qToBigEndian<quint32>(quint32(length), size);
    out.append(size, 4);
}

QByteArray packPlane(const QByteArray &plane)
{
    QByteArray out;
    QByteArray literal;
    const auto flush = [&] {
        if (literal.isEmpty())
            return;
        out += char(literal.size() - 1);
        out += literal;
        literal.clear();
    };
    for (qsizetype i = 0; i < plane.size();) {
        qsizetype run = 1;
        while (i + run < plane.size() && plane[i + run] == plane[i] && run < LongestRun)
            ++run;
        if (run >= ShortestRun) {
            flush();
            out += char(0x80 + run - ShortestRun);
            out += plane[i];
            i += run;
            continue;
        }
        literal += plane[i++];
        if (literal.size() == LongestLiteral)
            flush();
    }
    flush();
    return out;
}
} // namespace

QByteArray write(const QList<Entry> &entries)
{
    qsizetype total = HeaderSize;
    for (const Entry &entry : entries)
        total += HeaderSize + entry.data.size();
    QByteArray out;
    out.reserve(total);
    appendHeader(out, "icns", total);
    for (const Entry &entry : entries) {
        appendHeader(out, entry.type, HeaderSize + entry.data.size());
        out += entry.data;
    }
    return out;
}

QByteArray packedColour(const QImage &picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    QByteArray planes[3];
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            planes[0] += char(qRed(line[x]));
            planes[1] += char(qGreen(line[x]));
            planes[2] += char(qBlue(line[x]));
        }
    }
    return packPlane(planes[0]) + packPlane(planes[1]) + packPlane(planes[2]);
}

QByteArray alphaMask(const QImage &picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    QByteArray mask;
    mask.reserve(qsizetype(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            mask += char(qAlpha(line[x]));
    }
    return mask;
}

} // namespace IcnsFile
