// Lists of icon sizes typed as the user-defined size: reading them, and the icons
// ImageMagick makes of them.
#include "BatchFakes.h"
#include "TestSupport.h"
#include "convert/IconSize.h"
#include "convert/SizeList.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Entry
{
    int width;
    int height;
    bool png;
};

// The entries an icon file's directory lists, in order.
QList<Entry> entriesOf(const QByteArray &icon)
{
    auto u16 = [&](qsizetype at) { return int(quint8(icon[at]) | quint8(icon[at + 1]) << 8); };
    auto u32 = [&](qsizetype at) { return qint64(u16(at)) | qint64(u16(at + 2)) << 16; };
    QList<Entry> entries;
    if (icon.size() < 6)
        return entries;
    for (int i = 0; i < u16(4); ++i) {
        const qsizetype at = 6 + 16 * i;
        const int w = quint8(icon[at]), h = quint8(icon[at + 1]);
        const bool png = icon.mid(u32(at + 12), 4) == "\x89PNG";
        entries.append({w ? w : 256, h ? h : 256, png});
    }
    return entries;
}

// A 200 x 100 picture, solid blue.
QString wideBluePicture(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("wide.png"));
    QImage image(200, 100, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    image.save(path, "PNG");
    return path;
}

} // namespace

class TestSizeList : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("windows") << "16,24,32,48,256" << true << QList<int>{16, 24, 32, 48, 256};
        QTest::newRow("spaces, order kept") << " 48 , 16,32 " << true << QList<int>{48, 16, 32};
        QTest::newRow("one and a comma is no list") << "16," << false << QList<int>{};
        QTest::newRow("letters") << "16,abc" << false << QList<int>{};
        QTest::newRow("too large") << "16,512" << false << QList<int>{};
        QTest::newRow("empty member") << "16,,32" << false << QList<int>{};
        QTest::newRow("zero") << "0,16" << false << QList<int>{};
        QTest::newRow("sign") << "+16,32" << false << QList<int>{};
        QTest::newRow("geometry") << "16x16,32" << false << QList<int>{};
        QTest::newRow("edges") << "1,256" << true << QList<int>{1, 256};
        QTest::newRow("each size once") << "16,32,16" << true << QList<int>{16, 32};
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QList<int>, sizes);
        QVERIFY(isSizeList(text));
        const auto parsed = parseSizeList(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, sizes);
    }

    // Windows' sets by name, alone or in a list; any other word is no size.
    void namedSets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("sizes"); // empty: refused
        QTest::newRow("windows") << "windows" << QList<int>{16, 20, 24, 30, 32, 36, 40,
                                                            48, 60, 64, 72, 80, 96, 256};
        QTest::newRow("windows-small")
            << "windows-small" << QList<int>{16, 20, 24, 32, 40, 48, 64, 256};
        QTest::newRow("case and blanks") << " Favicon " << QList<int>{16, 32, 48};
        QTest::newRow("in a list") << "256,favicon,32" << QList<int>{256, 16, 32, 48};
        QTest::newRow("misspelt") << "windwos" << QList<int>{};
        QTest::newRow("misspelt in a list") << "16,favicons" << QList<int>{};
    }
    void namedSets()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, sizes);
        const IconSize size = IconSize::fromText(text);
        QCOMPARE(size.isAccepted(), !sizes.isEmpty());
        QCOMPARE(size.sizes(), sizes);
        if (!sizes.isEmpty())
            QCOMPARE(size.kind(), IconSize::Kind::List);
    }

    void listGivesOneSquareEntryPerSize()
    {
        QTemporaryDir dir;
        qputenv("TEMP", QFile::encodeName(dir.path()));
        const QString source = wideBluePicture(dir);
        const QString icon = dir.filePath(QStringLiteral("wide.ico"));
        QCOMPARE(convertBeside({source}, QStringLiteral("16, 24,32,48,256")), QStringList{"Done."});
        const QList<Entry> entries = entriesOf(readFile(icon));
        QCOMPARE(entries.size(), 5);
        const int sizes[] = {256, 48, 32, 24, 16}; // largest first
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(entries[i].width, sizes[i]);
            QCOMPARE(entries[i].height, sizes[i]);
        }
        QVERIFY(entries[0].png); // as Windows expects its largest entry

        // The 48 px entry: the picture fitted across, transparent above and below.
        QImageReader reader(icon, "ico");
        QVERIFY(reader.jumpToImage(1));
        const QImage entry = reader.read();
        QCOMPARE(entry.size(), QSize(48, 48));
        QCOMPARE(entry.pixelColor(24, 24), QColor(Qt::blue));
        QCOMPARE(entry.pixelColor(24, 2).alpha(), 0);
        QCOMPARE(entry.pixelColor(24, 45).alpha(), 0);
        qunsetenv("TEMP");
    }

    void singleSizes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("size"); // of a 200 x 100 picture; invalid: refused
        QTest::newRow("number") << "48" << QSize(48, 24);
        QTest::newRow("blanks around") << " 48 " << QSize(48, 24);
        QTest::newRow("height") << "x50" << QSize(100, 50);
        QTest::newRow("exact") << "32x32!" << QSize(32, 32);
        QTest::newRow("percent") << "50%" << QSize(100, 50);
        QTest::newRow("only shrink, larger") << "400>" << QSize(200, 100);
        QTest::newRow("fill") << "50x50^" << QSize(100, 50);
        QTest::newRow("zero") << "0" << QSize();
        QTest::newRow("zero by zero") << "0x0" << QSize();
        QTest::newRow("negative") << "-1" << QSize();
        QTest::newRow("empty") << "" << QSize();
        QTest::newRow("two words") << "32 -flip" << QSize();
        QTest::newRow("letters") << "big" << QSize();
    }
    void singleSizes()
    {
        QFETCH(QString, text);
        QFETCH(QSize, size);
        QCOMPARE(isAcceptedSingleSize(text), size.isValid());
        QCOMPARE(resizedSize(QSize(200, 100), text).value_or(QSize()), size);
    }

    // What the batch refuses before it starts: sizes no icon entry can have.
    void sizesAnEntryCanHave_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("256") << "256" << true;
        QTest::newRow("257") << "257" << false;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("negative") << "-48" << false;
        QTest::newRow("list up to 256") << "16,256" << true;
        QTest::newRow("list over 256") << "16,512" << false;
        QTest::newRow("a box some picture fits") << "512x64" << true;
        QTest::newRow("a box none fits") << "300x300" << false;
        QTest::newRow("a height over 256") << "x300" << false;
        QTest::newRow("only shrinking") << "300>" << true;
        QTest::newRow("percent") << "50%" << true;
        QTest::newRow("not a size") << "big" << false;
    }
    void sizesAnEntryCanHave()
    {
        QFETCH(QString, text);
        QTEST(IconSize::fromText(text).isAccepted(), "accepted");
    }
};

QTEST_GUILESS_MAIN(TestSizeList)
#include "tst_sizelist.moc"
