#include "TightPng.h"

#include <QImage>
#include <QtEndian>
#include <cstdlib>
#include <utility>
#include <zlib.h>

namespace {
constexpr int Channels = 4;

int paeth(int left, int up, int upLeft)
{
    const int p = left + up - upLeft;
    const int pa = std::abs(p - left);
    const int pb = std::abs(p - up);
    const int pc = std::abs(p - upLeft);
    if (pa <= pb && pa <= pc)
        return left;
    return pb <= pc ? up : upLeft;
}

// One row run through filter `type` (1 to 4) into `out`; `previous` is the row
// above before filtering, all zero for the first. Answers the usual guess at how well
// it packs: the sum of the bytes read as distances from zero, the smaller the better.
qint64 filterRow(const uchar *row, const uchar *previous, qsizetype length, int type, char *out)
{
    qint64 sum = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const int left = i >= Channels ? row[i - Channels] : 0;
        const int up = previous[i];
        const int upLeft = i >= Channels ? previous[i - Channels] : 0;
        const int predicted = type == 1   ? left
                              : type == 2 ? up
                              : type == 3 ? (left + up) / 2
                                          : paeth(left, up, upLeft);
        const auto byte = qint8(quint8(row[i] - predicted));
        out[i] = char(byte);
        sum += std::abs(int(byte));
    }
    return sum;
}

QByteArray deflated(const QByteArray &raw)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, MAX_WBITS, MAX_MEM_LEVEL,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&stream, uLong(raw.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(raw.constData()));
    stream.avail_in = uInt(raw.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return done ? out : QByteArray();
}

QByteArray chunk(const char *type, const QByteArray &data)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    out += QByteArray(type, 4) + data;
    const uLong crc =
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(out.constData() + 4),
              uInt(out.size() - 4));
    QByteArray tail(4, '\0');
    qToBigEndian<quint32>(quint32(crc), tail.data());
    return out + tail;
}
} // namespace

QByteArray tightPng(const QImage &picture)
{
    if (picture.isNull())
        return {};
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    const int h = rgba.height();
    const qsizetype rowBytes = qsizetype(rgba.width()) * Channels;

    // Icons' flat areas pack best unfiltered, shaded ones with each row's own filter;
    // the other ways of filtering never came out smallest on icons by more than a
    // few bytes, and each further try costs a full pass of zlib's slowest level.
    QByteArray unfiltered;
    QByteArray perRow;
    unfiltered.reserve((rowBytes + 1) * h);
    perRow.reserve((rowBytes + 1) * h);
    const QByteArray zeros(rowBytes, '\0');
    QByteArray trial(rowBytes, '\0');
    QByteArray best(rowBytes, '\0');
    for (int y = 0; y < h; ++y) {
        const uchar *row = rgba.constScanLine(y);
        const uchar *previous =
            y > 0 ? rgba.constScanLine(y - 1) : reinterpret_cast<const uchar *>(zeros.constData());
        unfiltered += '\0';
        unfiltered.append(reinterpret_cast<const char *>(row), rowBytes);
        qint64 bestSum = 0;
        for (qsizetype i = 0; i < rowBytes; ++i)
            bestSum += std::abs(int(qint8(row[i])));
        int bestType = 0;
        best = QByteArray(reinterpret_cast<const char *>(row), rowBytes);
        for (int type = 1; type <= 4; ++type) {
            const qint64 sum = filterRow(row, previous, rowBytes, type, trial.data());
            if (sum < bestSum) {
                bestSum = sum;
                bestType = type;
                std::swap(best, trial);
            }
        }
        perRow += char(bestType);
        perRow += best;
    }
    QByteArray smallest = deflated(unfiltered);
    const QByteArray filtered = deflated(perRow);
    if (smallest.isEmpty() || (!filtered.isEmpty() && filtered.size() < smallest.size()))
        smallest = filtered;
    if (smallest.isEmpty())
        return {};

    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(rgba.width()), header.data());
    qToBigEndian<quint32>(quint32(h), header.data() + 4);
    header[8] = 8; // bits a channel
    header[9] = 6; // RGBA
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", smallest) +
           chunk("IEND", {});
}
