// Icons as a designer ships them: own pictures at any count, each kept pixel for
// pixel at its size; the same bytes from the same pictures; masks that agree with
// the pictures' alpha for readers that draw by the mask.
#include "BatchFakes.h"
#include "TestSupport.h"
#include "core/IcoFile.h"

#include <QBuffer>
#include <QColorSpace>
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

// The picture of one colour, opaque, in `space` (none: untagged), 8 or 16 bits a channel.
QByteArray flatPng(QColor colour, const QColorSpace &space, bool deep = false,
                   const char *format = "PNG")
{
    QImage image(64, 64, deep ? QImage::Format_RGBA64 : QImage::Format_ARGB32);
    image.fill(colour);
    image.setColorSpace(space);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return png;
}

QByteArrayList chunkTypes(const QByteArray &png)
{
    QByteArrayList types;
    for (qsizetype at = 8; at + 8 <= png.size();
         at += 12 + qFromBigEndian<quint32>(png.constData() + at))
        types << png.mid(at + 4, 4);
    return types;
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

    // Entries are 8-bit sRGB as a viewer that manages colour shows the picture, alike
    // at every size, and carry no colour chunk of their own.
    void colourIsAsAViewerShowsIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QColor>("seen");
        const QColor red(200, 40, 60);
        const QColorSpace linear(QColorSpace::Primaries::SRgb, 1.0f);
        const QColor fromAdobe = QColorSpace(QColorSpace::AdobeRgb)
                                     .transformationToColorSpace(QColorSpace::SRgb)
                                     .map(red);
        const QColor fromLinear = linear.transformationToColorSpace(QColorSpace::SRgb).map(red);
        const QByteArray gammaOne = bigEndian32(100000);
        QTest::newRow("Adobe RGB profile")
            << "a.png" << flatPng(red, QColorSpace::AdobeRgb) << fromAdobe;
        QTest::newRow("Adobe RGB JPEG")
            << "a.jpg" << flatPng(red, QColorSpace::AdobeRgb, false, "JPEG") << fromAdobe;
        QTest::newRow("gamma 1.0")
            << "a.png" << withPngChunk(flatPng(red, {}), "gAMA", gammaOne) << fromLinear;
        QTest::newRow("16 bits, gamma 1.0")
            << "a.png" << withPngChunk(flatPng(red, {}, true), "gAMA", gammaOne) << fromLinear;
        QTest::newRow("sRGB's own gamma")
            << "a.png" << withPngChunk(flatPng(red, {}), "gAMA", bigEndian32(45455)) << red;
    }
    void colourIsAsAViewerShowsIt()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, png);
        QFETCH(QColor, seen);
        QTemporaryDir dir;
        const QString picture = dir.filePath(name);
        writeFile(picture, png);
        QCOMPARE(convertBeside({picture}, QStringLiteral("256,16")), QStringList{"Done."});
        const QMap<int, QImage> entries = entriesOf(iconOf(picture));
        QCOMPARE(entries.keys(), QList<int>({16, 256}));
        for (const QImage &entry : entries) {
            const QColor shown = entry.pixelColor(entry.width() / 2, entry.height() / 2);
            const QString text = QStringLiteral("%1 px: %2 for %3")
                                     .arg(entry.width())
                                     .arg(shown.name(), seen.name());
            QVERIFY2(std::abs(shown.red() - seen.red()) <= 2 &&
                         std::abs(shown.green() - seen.green()) <= 2 &&
                         std::abs(shown.blue() - seen.blue()) <= 2,
                     qPrintable(text));
        }
        const IcoFile icon(readFile(iconOf(picture)));
        QCOMPARE(chunkTypes(icon.dataOf(icon.entries().value(0))),
                 QByteArrayList({"IHDR", "IDAT", "IEND"}));
    }

    // Build systems make icons again and again: the same pictures give the same bytes,
    // whenever their files were written, in either form.
    void samePicturesGiveTheSameBytes_data()
    {
        QTest::addColumn<IcoFile::Packing>("packing");
        QTest::newRow("standard") << IcoFile::Packing::Standard;
        QTest::newRow("compact") << IcoFile::Packing::Compact;
    }
    void samePicturesGiveTheSameBytes()
    {
        QFETCH(IcoFile::Packing, packing);
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
            QCOMPARE(convertBeside({logo}, Windows, packing), QStringList{"Done."});
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
