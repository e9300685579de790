// The icon file's directory: which bytes count as an icon and why not, and what the
// writer gives back when read.
#include "core/IcoFile.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>
#include <QtTest>
#include <algorithm>

namespace {
struct Entry
{
    int side;    // pixels; 256 is stored as 0
    bool png;    // PNG-compressed, else a DIB
    int claimed; // the side the image data itself claims
};

QByteArray dib(int side)
{
    QByteArray data(40 + side * side * 4, '\0');
    qToLittleEndian<quint32>(40, data.data());
    qToLittleEndian<qint32>(side, data.data() + 4);
    qToLittleEndian<qint32>(side * 2, data.data() + 8);
    return data;
}

QByteArray png(int side)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::red);
    image.save(&buffer, "PNG");
    return data;
}

QByteArray icon(const QList<Entry> &entries)
{
    QByteArray header(6 + 16 * entries.size(), '\0');
    qToLittleEndian<quint16>(1, header.data() + 2);
    qToLittleEndian<quint16>(quint16(entries.size()), header.data() + 4);
    QByteArray images;
    for (int i = 0; i < entries.size(); ++i) {
        const QByteArray data = entries[i].png ? png(entries[i].claimed) : dib(entries[i].claimed);
        char *e = header.data() + 6 + 16 * i;
        e[0] = e[1] = char(entries[i].side & 0xff);
        qToLittleEndian<quint16>(1, e + 4);
        qToLittleEndian<quint16>(32, e + 6);
        qToLittleEndian<quint32>(quint32(data.size()), e + 8);
        qToLittleEndian<quint32>(quint32(header.size() + images.size()), e + 12);
        images += data;
    }
    return header + images;
}
} // namespace

Q_DECLARE_METATYPE(IcoFile::Fault)

class TestIcoFile : public QObject
{
    Q_OBJECT

private slots:
    void findsTheFirstFault_data()
    {
        using Fault = IcoFile::Fault;
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<Fault>("fault");
        const QByteArray one = icon({{48, false, 48}});
        QTest::newRow("one DIB entry") << one << QList<int>{} << Fault::None;
        QTest::newRow("size list with 256 PNG")
            << icon({{16, false, 16}, {32, false, 32}, {48, false, 48}, {256, true, 256}})
            << QList<int>{} << Fault::None;
        QTest::newRow("empty") << QByteArray() << QList<int>{} << Fault::NoHeader;
        QTest::newRow("text") << QByteArray("not an icon") << QList<int>{} << Fault::NoHeader;
        QTest::newRow("cursor type")
            << QByteArray(one).replace(2, 1, "\2") << QList<int>{} << Fault::NoHeader;
        QTest::newRow("no images")
            << QByteArray(one.left(6)).replace(4, 1, "\0") << QList<int>{} << Fault::NoHeader;
        QTest::newRow("directory cut off")
            << one.left(6 + 8) << QList<int>{} << Fault::DirectoryCutOff;
        QTest::newRow("cut off") << one.left(one.size() - 1) << QList<int>{} << Fault::DataPastEnd;
        QTest::newRow("PNG above 256")
            << icon({{0, true, 300}}) << QList<int>{} << Fault::ImageTooLarge;
        QTest::newRow("DIB above 256")
            << icon({{0, false, 257}}) << QList<int>{} << Fault::ImageTooLarge;
        QByteArray empty = one;
        qToLittleEndian<quint32>(0, empty.data() + 6 + 8);
        QTest::newRow("zero-length entry") << empty << QList<int>{} << Fault::EmptyEntry;
        // Starting at its own offset field, the data reads as a bitmap header that fits.
        QByteArray inDirectory = one;
        qToLittleEndian<quint32>(6 + 12, inDirectory.data() + 6 + 12);
        QTest::newRow("data inside the directory")
            << inDirectory << QList<int>{} << Fault::DataInDirectory;
        QByteArray shared = icon({{16, false, 16}, {16, false, 16}});
        std::copy(shared.constData() + 6 + 8, shared.constData() + 6 + 16, shared.data() + 22 + 8);
        QTest::newRow("two entries, one image") << shared << QList<int>{} << Fault::SharedData;
        QByteArray overlapping = icon({{16, false, 16}, {32, false, 32}});
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(overlapping.constData() + 6 + 8) + 4,
                                 overlapping.data() + 6 + 8);
        QTest::newRow("overlapping entries") << overlapping << QList<int>{} << Fault::SharedData;

        const QByteArray three = icon({{48, false, 48}, {32, false, 32}, {16, false, 16}});
        QTest::newRow("each size once, any order")
            << three << QList<int>{16, 32, 48} << Fault::None;
        QTest::newRow("a size missing") << icon({{48, false, 48}, {16, false, 16}})
                                        << QList<int>{16, 32, 48} << Fault::NotTheSizesAsked;
        QTest::newRow("a size not asked for")
            << three << QList<int>{16, 48} << Fault::NotTheSizesAsked;
        QTest::newRow("a size twice") << icon({{48, false, 48}, {16, false, 16}, {16, false, 16}})
                                      << QList<int>{16, 48} << Fault::NotTheSizesAsked;
        QTest::newRow("not square") << QByteArray(three).replace(7, 1, "\x18")
                                    << QList<int>{16, 32, 48} << Fault::NotSquare;
    }
    void findsTheFirstFault()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, sizes);
        QTEST(IcoFile(bytes).fault(sizes), "fault");
    }

    void writtenEntriesReadBack()
    {
        IcoFile::Entry wide;
        wide.width = 256;
        wide.height = 128;
        IcoFile::Entry small;
        small.width = small.height = 16;
        small.colours = 16;
        small.bitCount = 4;
        const QByteArray first = png(256);
        const QByteArray second = dib(16);
        const IcoFile read(IcoFile::write({{wide, first}, {small, second}}));
        QCOMPARE(read.fault(), IcoFile::Fault::None);
        QCOMPARE(read.entries().size(), 2);
        const IcoFile::Entry &a = read.entries()[0];
        const IcoFile::Entry &b = read.entries()[1];
        QCOMPARE(QList<int>({a.width, a.height, b.width, b.height}),
                 QList<int>({256, 128, 16, 16}));
        QCOMPARE(QList<int>({b.colours, b.planes, b.bitCount}), QList<int>({16, 1, 4}));
        QCOMPARE(a.storage, IcoFile::Storage::Png);
        QCOMPARE(b.storage, IcoFile::Storage::Bmp);
        QCOMPARE(read.dataOf(a), first);
        QCOMPARE(read.dataOf(b), second);
    }
};

QTEST_GUILESS_MAIN(TestIcoFile)
#include "tst_icofile.moc"
