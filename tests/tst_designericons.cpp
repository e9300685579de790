// Icons as a designer ships them: own pictures at any count, each kept pixel for
// pixel at its size; the same bytes from the same pictures; masks that agree with
// the pictures' alpha for readers that draw by the mask.
#include "BatchFakes.h"
#include "TestSupport.h"
#include "core/IcoFile.h"

#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {
const QString Windows = QStringLiteral("16,20,24,30,32,36,40,48,60,64,72,80,96,256");

// A disc with a one-pixel rim and a notch, drawn without smoothing: what a designer
// draws for a small size, where any resampling shows.
QImage crisp(int side)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QColor(20, 20, 120));
    p.setBrush(QColor(200, 40, 60, 200));
    p.drawEllipse(1, 1, side - 3, side - 3);
    p.fillRect(side / 2, 0, 1, side / 2, Qt::yellow);
    return image;
}

QString iconOf(const QString &source)
{
    return source.left(source.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".ico");
}

QMap<int, QImage> entriesOf(const QString &icon)
{
    QMap<int, QImage> entries;
    QImageReader reader(icon, "ico");
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        const QImage image = reader.read();
        entries.insert(image.width(), image);
    }
    return entries;
}
} // namespace

class TestDesignerIcons : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { qputenv("TEMP", QFile::encodeName(m_dir.path())); }

    // The entries of `exact` sizes are the designer's pictures (or the picture itself,
    // drawn at that size), pixel for pixel.
    void picturesAtTheirSizeAreKept_data()
    {
        QTest::addColumn<int>("side"); // of the picture itself
        QTest::addColumn<QList<int>>("own");
        QTest::addColumn<QString>("sizeText");
        QTest::addColumn<QList<int>>("exact");
        QTest::newRow("seven own pictures") << 512 << QList<int>{16, 20, 24, 32, 40, 48, 64}
                                            << Windows << QList<int>{16, 20, 24, 32, 40, 48, 64};
        QTest::newRow("a 16 px picture") << 16 << QList<int>{} << "16" << QList<int>{16};
        QTest::newRow("a 256 px picture in a list")
            << 256 << QList<int>{} << "256,48" << QList<int>{256};
    }
    void picturesAtTheirSizeAreKept()
    {
        QFETCH(int, side);
        QFETCH(QList<int>, own);
        QFETCH(QString, sizeText);
        QFETCH(QList<int>, exact);
        QTemporaryDir dir;
        const QString logo = dir.filePath(QStringLiteral("logo.png"));
        QVERIFY(crisp(side).save(logo));
        for (const int size : own)
            QVERIFY(crisp(size).save(dir.filePath(QStringLiteral("logo-%1.png").arg(size))));
        QCOMPARE(convertBeside({logo}, sizeText), QStringList{"Done."});
        const QMap<int, QImage> entries = entriesOf(iconOf(logo));
        QCOMPARE(entries.size(), sizeText.count(QLatin1Char(',')) + 1);
        for (const int size : exact)
            QCOMPARE(rmsError(entries.value(size), crisp(size)), 0.0);
    }

    // Build systems make icons again and again: the same pictures give the same bytes,
    // whenever their files were written.
    void samePicturesGiveTheSameBytes()
    {
        QTemporaryDir dir;
        const QString logo = dir.filePath(QStringLiteral("logo.png"));
        QByteArray first;
        for (int round = 0; round < 2; ++round) {
            QStringList files{logo};
            for (const int size : {16, 32})
                files << dir.filePath(QStringLiteral("logo-%1.png").arg(size));
            for (const QString &file : files) {
                const int side = file == logo ? 300 : QFileInfo(file).baseName().mid(5).toInt();
                QVERIFY(crisp(side).save(file));
                QFile written(file);
                QVERIFY(written.open(QIODevice::ReadWrite));
                QVERIFY(written.setFileTime(QDateTime::currentDateTime().addDays(round - 1),
                                            QFileDevice::FileModificationTime));
            }
            QCOMPARE(convertBeside({logo}, Windows), QStringList{"Done."});
            const QByteArray icon = readFile(iconOf(logo));
            QVERIFY(!icon.isEmpty());
            if (round == 0)
                first = icon;
            else
                QVERIFY(icon == first);
        }
    }

    // Readers that draw a bitmap entry by its mask see a pixel as clear when it is
    // less than half opaque, so a soft edge is not drawn as a dark rim.
    void maskMarksWhatIsLessThanHalfOpaque_data()
    {
        QTest::addColumn<QString>("sizeText");
        QTest::newRow("one size") << "32";
        QTest::newRow("a list") << "256,48,32";
    }
    void maskMarksWhatIsLessThanHalfOpaque()
    {
        QFETCH(QString, sizeText);
        QTemporaryDir dir;
        const QString ramp = dir.filePath(QStringLiteral("ramp.png"));
        QImage picture(64, 64, QImage::Format_ARGB32);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x)
                picture.setPixel(x, y, qRgba(40, 90, 200, x * 255 / 63));
        }
        QVERIFY(picture.save(ramp));
        QCOMPARE(convertBeside({ramp}, sizeText), QStringList{"Done."});
        const IcoFile icon(readFile(iconOf(ramp)));
        int bitmaps = 0;
        for (const IcoFile::Entry &entry : icon.entries()) {
            if (entry.storage == IcoFile::Storage::Png)
                continue;
            ++bitmaps;
            const QByteArray data = icon.dataOf(entry);
            const int side = entry.width;
            const int maskRow = (side + 31) / 32 * 4;
            const char *mask = data.constData() + 40 + side * side * 4;
            int faint = 0; // pixels neither clear nor half opaque
            for (int y = 0; y < side; ++y) {
                for (int x = 0; x < side; ++x) {
                    const int alpha = quint8(data[40 + (y * side + x) * 4 + 3]);
                    const bool masked = mask[y * maskRow + x / 8] & (0x80 >> (x % 8));
                    QVERIFY2(masked == (alpha < 128),
                             qPrintable(QStringLiteral("%1 px at %2,%3").arg(side).arg(x).arg(y)));
                    faint += alpha > 0 && alpha < 128;
                }
            }
            QVERIFY(faint > 0);
        }
        QCOMPARE(bitmaps, sizeText.count(QLatin1Char(',')) + (sizeText.contains("256") ? 0 : 1));
    }
};

QTEST_MAIN(TestDesignerIcons)
#include "tst_designericons.moc"
