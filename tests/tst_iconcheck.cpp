// Which converter outputs count as icons.
#include "convert/IconCheck.h"

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

class TestIconCheck : public QObject
{
    Q_OBJECT

private slots:
    void acceptsOnlyWellFormedIcons_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("good");
        const QByteArray one = icon({{48, false, 48}});
        QTest::newRow("one DIB entry") << one << true;
        QTest::newRow("size list with 256 PNG")
            << icon({{16, false, 16}, {32, false, 32}, {48, false, 48}, {256, true, 256}}) << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("text") << QByteArray("not an icon") << false;
        QTest::newRow("cut off") << one.left(one.size() - 1) << false;
        QTest::newRow("cursor type") << QByteArray(one).replace(2, 1, "\2") << false;
        QTest::newRow("no images") << QByteArray(one.left(6)).replace(4, 1, "\0") << false;
        QTest::newRow("PNG above 256") << icon({{0, true, 300}}) << false;
        QTest::newRow("DIB above 256") << icon({{0, false, 257}}) << false;
        QByteArray empty = one;
        qToLittleEndian<quint32>(0, empty.data() + 6 + 8);
        QTest::newRow("zero-length entry") << empty << false;
        QByteArray shared = icon({{16, false, 16}, {16, false, 16}});
        std::copy(shared.constData() + 6 + 8, shared.constData() + 6 + 16, shared.data() + 22 + 8);
        QTest::newRow("two entries, one image") << shared << false;
        QByteArray overlapping = icon({{16, false, 16}, {32, false, 32}});
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(overlapping.constData() + 6 + 8) + 4,
                                 overlapping.data() + 6 + 8);
        QTest::newRow("overlapping entries") << overlapping << false;
    }
    void acceptsOnlyWellFormedIcons()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, good);
        QCOMPARE(isWellFormedIcon(bytes), good);
    }

    void holdsTheSizesAskedFor_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<bool>("good");
        const QByteArray three = icon({{48, false, 48}, {32, false, 32}, {16, false, 16}});
        QTest::newRow("each once, any order") << three << QList<int>{16, 32, 48} << true;
        QTest::newRow("a size missing")
            << icon({{48, false, 48}, {16, false, 16}}) << QList<int>{16, 32, 48} << false;
        QTest::newRow("a size not asked for") << three << QList<int>{16, 48} << false;
        QTest::newRow("a size twice") << icon({{48, false, 48}, {16, false, 16}, {16, false, 16}})
                                      << QList<int>{16, 48} << false;
        QTest::newRow("not square")
            << QByteArray(three).replace(7, 1, "\x18") << QList<int>{16, 32, 48} << false;
    }
    void holdsTheSizesAskedFor()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, sizes);
        QTEST(isWellFormedIcon(bytes, sizes), "good");
    }
};

QTEST_GUILESS_MAIN(TestIconCheck)
#include "tst_iconcheck.moc"
