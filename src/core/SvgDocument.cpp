#include "SvgDocument.h"

#include <QBuffer>
#include <QImageReader>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>
#include <functional>
#include <optional>
#include <zlib.h>

namespace SvgDocument {
namespace {

constexpr qint64 ChunkBytes = 64 * 1024;
// A picture embedded in a picture embedded in ... is no icon's artwork.
constexpr int DeepestNesting = 3;
constexpr double LargestSide = 1 << 20;

bool isGzip(const QByteArray &bytes)
{
    return bytes.startsWith("\x1f\x8b");
}

// Inflates gzip data read by `next` until it ends; nothing when the result would
// be larger than `limit`. `partial` accepts a stream cut short (a file's head).
std::optional<QByteArray> gunzip(const std::function<QByteArray()> &next, qint64 limit,
                                 bool partial)
{
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return std::nullopt;
    QByteArray out;
    QByteArray in;
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.avail_in == 0) {
            in = next();
            if (in.isEmpty())
                break;
            stream.next_in = reinterpret_cast<Bytef *>(in.data());
            stream.avail_in = uInt(in.size());
        }
        const qsizetype done = out.size();
        out.resize(done + ChunkBytes);
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + done);
        stream.avail_out = uInt(ChunkBytes);
        status = inflate(&stream, Z_NO_FLUSH);
        out.resize(done + ChunkBytes - qsizetype(stream.avail_out));
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            status = Z_OK; // wants more input
        if (out.size() > limit) {
            inflateEnd(&stream);
            return std::nullopt;
        }
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END && !partial)
        out.clear();
    return out;
}

// The document's text; nothing when it is larger than `limit`.
std::optional<QByteArray> expanded(QIODevice &file, qint64 limit)
{
    const QByteArray head = file.peek(2);
    if (isGzip(head))
        return gunzip([&file] { return file.read(ChunkBytes); }, limit, false);
    QByteArray text = file.read(limit + 1);
    if (text.size() > limit)
        return std::nullopt;
    return text;
}

bool startsSvgText(const QByteArray &text)
{
    QByteArray start = text.left(1024);
    if (start.startsWith("\xef\xbb\xbf"))
        start = start.mid(3);
    start = start.trimmed();
    if (start.startsWith("<svg") || start.startsWith("<!DOCTYPE svg"))
        return true;
    return (start.startsWith("<?xml") || start.startsWith("<!--")) && text.contains("<svg");
}

bool isHref(QStringView qualifiedName)
{
    return qualifiedName == u"href" || qualifiedName.endsWith(u":href");
}

QStringView localName(QStringView qualifiedName)
{
    const qsizetype colon = qualifiedName.indexOf(QLatin1Char(':'));
    return colon < 0 ? qualifiedName : qualifiedName.mid(colon + 1);
}

// A length in pixels at 96 dpi; nothing for a relative one or none.
std::optional<double> pixels(QStringView text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*([+]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?)\s*(px|pt|pc|mm|cm|in)?\s*$)"));
    const auto match = pattern.match(text.toString());
    if (!match.hasMatch())
        return std::nullopt;
    const double value = match.captured(1).toDouble();
    const QString unit = match.captured(2);
    double perUnit = 1;
    if (unit == u"pt")
        perUnit = 96.0 / 72;
    else if (unit == u"pc")
        perUnit = 16;
    else if (unit == u"mm")
        perUnit = 96 / 25.4;
    else if (unit == u"cm")
        perUnit = 96 / 2.54;
    else if (unit == u"in")
        perUnit = 96;
    const double result = value * perUnit;
    if (!(result > 0) || result > LargestSide)
        return std::nullopt;
    return result;
}

QSize rootSize(const QXmlStreamAttributes &attributes)
{
    std::optional<double> width = pixels(attributes.value(QLatin1String("width")));
    std::optional<double> height = pixels(attributes.value(QLatin1String("height")));
    const QList<QStringView> box =
        attributes.value(QLatin1String("viewBox"))
            .split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    const double boxWidth = box.size() == 4 ? box[2].toDouble() : 0;
    const double boxHeight = box.size() == 4 ? box[3].toDouble() : 0;
    if ((!width || !height) && boxWidth > 0 && boxHeight > 0) {
        if (width)
            height = *width * boxHeight / boxWidth;
        else if (height)
            width = *height * boxWidth / boxHeight;
        else
            width = boxWidth, height = boxHeight;
    }
    if (!width || !height || *width > LargestSide || *height > LargestSide)
        return {};
    const auto side = [](double v) { return std::max(1, int(std::lround(v))); };
    return {side(*width), side(*height)};
}

QByteArray dataOf(QStringView address)
{
    const qsizetype comma = address.indexOf(QLatin1Char(','));
    if (comma < 0)
        return {};
    const QByteArray payload = address.mid(comma + 1).toLatin1();
    if (address.left(comma).endsWith(u";base64", Qt::CaseInsensitive))
        return QByteArray::fromBase64(payload);
    return QByteArray::fromPercentEncoding(payload);
}

class Reader
{
public:
    Reader(const Limits &limits, bool selfContained)
        : m_limits(limits), m_selfContained(selfContained)
    {
    }

    Reading read(const QByteArray &text, int depth)
    {
        Reading reading;
        QByteArray copy;
        QXmlStreamWriter writer(&copy);
        QXmlStreamReader xml(text);
        xml.setNamespaceProcessing(false);
        bool root = true;
        while (!xml.atEnd() && !reading.tooLarge) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartElement: {
                if (root && localName(xml.qualifiedName()) != u"svg")
                    return reading;
                if (root)
                    reading.size = rootSize(xml.attributes());
                root = false;
                writer.writeStartElement(xml.qualifiedName().toString());
                for (const QXmlStreamAttribute &attribute : xml.attributes()) {
                    if (!isHref(attribute.qualifiedName()) ||
                        keepsReference(attribute.value(), depth, reading))
                        writer.writeAttribute(attribute);
                }
                break;
            }
            case QXmlStreamReader::EndElement:
                writer.writeEndElement();
                break;
            case QXmlStreamReader::Characters:
                if (xml.isCDATA())
                    writer.writeCDATA(xml.text().toString());
                else
                    writer.writeCharacters(xml.text().toString());
                break;
            default: // declarations, comments and instructions (stylesheets) are left out
                break;
            }
        }
        reading.wellFormed = !root && !xml.hasError();
        if (m_selfContained && reading.wellFormed && !reading.tooLarge)
            reading.selfContained = copy;
        return reading;
    }

private:
    // Whether a drawing may follow the address: only into the document itself or into
    // a picture embedded in it, which counts against the limit.
    bool keepsReference(QStringView address, int depth, Reading &reading)
    {
        address = address.trimmed();
        if (address.startsWith(QLatin1Char('#')))
            return true;
        if (!address.startsWith(u"data:", Qt::CaseInsensitive))
            return false;
        const QByteArray data = dataOf(address);
        if (startsSvgText(data) || isGzip(data)) {
            QBuffer buffer;
            buffer.setData(data);
            buffer.open(QIODevice::ReadOnly);
            const std::optional<QByteArray> text = expanded(buffer, m_limits.textBytes);
            if (!text || depth >= DeepestNesting) {
                reading.tooLarge = true;
                return false;
            }
            Reader nested(m_limits, false);
            nested.m_pixels = m_pixels;
            const Reading inner = nested.read(*text, depth + 1);
            m_pixels = nested.m_pixels;
            reading.tooLarge = inner.tooLarge;
            // Our own drawing would read it with a reader that follows addresses.
            return false;
        }
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        const QSize size = QImageReader(&buffer).size();
        if (size.isValid())
            m_pixels += qint64(size.width()) * size.height();
        if (m_pixels > m_limits.embeddedPixels)
            reading.tooLarge = true;
        return !reading.tooLarge;
    }

    const Limits m_limits;
    const bool m_selfContained;
    qint64 m_pixels = 0;
};

} // namespace

bool looksLikeSvg(const QByteArray &head)
{
    if (!isGzip(head))
        return startsSvgText(head);
    qsizetype offset = 0;
    const auto text = gunzip(
        [&] {
            QByteArray piece = head.mid(offset, ChunkBytes);
            offset += piece.size();
            return piece;
        },
        4 * ChunkBytes, true);
    return text && startsSvgText(*text);
}

Reading read(QIODevice &file, const Limits &limits, bool selfContained)
{
    const std::optional<QByteArray> text = expanded(file, limits.textBytes);
    if (!text) {
        Reading reading;
        reading.tooLarge = true;
        return reading;
    }
    return Reader(limits, selfContained).read(*text, 0);
}

} // namespace SvgDocument
