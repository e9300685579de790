// Icons as readers see them: every kind of source at one size and at a list, read
// back through Qt and the directory itself; the re-pack; a designer's own pictures
// per size; SVG drawn at each size.
#include "BatchFakes.h"
#include "TestSupport.h"
#include "convert/IconPack.h"
#include "convert/PerSizePictures.h"
#include "core/IcoFile.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {
const QString List = QStringLiteral("16,20,24,32,40,48,64,96,256");

struct Entry
{
    int side;
    bool png;
    int colourType; // PNG only
    int bits;       // BMP only
    int resolution; // BMP only: both fields added
};

QList<Entry> directoryOf(const QByteArray &icon)
{
    QList<Entry> entries;
    const IcoFile file(icon);
    for (const IcoFile::Entry &e : file.entries()) {
        const QByteArray data = file.dataOf(e).left(40);
        Entry entry{e.width, e.storage == IcoFile::Storage::Png, 0, 0, 0};
        if (entry.png) {
            entry.colourType = data[25];
        } else {
            entry.bits = qFromLittleEndian<quint16>(data.constData() + 14);
            entry.resolution = qFromLittleEndian<qint32>(data.constData() + 24) +
                               qFromLittleEndian<qint32>(data.constData() + 28);
        }
        entries << entry;
    }
    return entries;
}

QImage artwork(QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(200, 40, 60, 220));
    p.setPen(QPen(QColor(20, 20, 120), size.height() / 16.0));
    p.drawEllipse(QRectF(QPointF(0, 0), size).adjusted(2, 2, -2, -2));
    return image;
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

QString imageMagick()
{
    const QString im6 = QStringLiteral("/usr/bin/convert-im6.q16");
    return QFile::exists(im6) ? im6 : QStringLiteral("/usr/bin/convert");
}

const char Svg[] =
    "<svg xmlns='http://www.w3.org/2000/svg' width='100' height='100'>"
    "<circle cx='50' cy='50' r='40' fill='none' stroke='#c03' stroke-width='6'/>"
    "<path d='M20 70 C 35 20, 65 20, 80 70' fill='#36c' stroke='#000' stroke-width='2'/>"
    "</svg>";

// The sources a user has: each kind as its own file in `dir`.
QStringList makeSources(const QString &dir)
{
    auto at = [&](const char *name) { return dir + QLatin1Char('/') + QLatin1String(name); };
    artwork({64, 64}).save(at("rgba.png"));
    QImage palette = artwork({64, 64}).convertToFormat(QImage::Format_Indexed8);
    palette.save(at("palette.png"));
    run(imageMagick(),
        {at("rgba.png"), "-colorspace", "Gray", "-define", "png:color-type=4", at("grey.png")});
    artwork({64, 64}).convertToFormat(QImage::Format_RGBA64).save(at("deep.png"));
    QImage dpi = artwork({64, 64});
    dpi.setDotsPerMeterX(11811);
    dpi.setDotsPerMeterY(11811);
    dpi.save(at("dpi.png"));
    artwork({300, 100}).save(at("wide.png"));
    artwork({8, 8}).save(at("tiny.png"));
    QFile svg(at("vector.svg"));
    svg.open(QIODevice::WriteOnly);
    svg.write(Svg);
    svg.close();
    return {at("rgba.png"), at("palette.png"), at("grey.png"), at("deep.png"),
            at("dpi.png"),  at("wide.png"),    at("tiny.png"), at("vector.svg")};
}

QString iconOf(const QString &source)
{
    return source.left(source.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".ico");
}

QByteArray icoOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "ICO");
    return bytes;
}

// One icon holding the entries of single-entry icons, in the order given.
QByteArray joined(const QList<QByteArray> &icons)
{
    QList<IcoFile::Image> images;
    for (const QByteArray &icon : icons) {
        const IcoFile single(icon);
        images.append({single.entries().value(0), single.dataOf(single.entries().value(0))});
    }
    return IcoFile::write(images);
}
} // namespace

class TestIcons : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { qputenv("TEMP", QFile::encodeName(m_dir.path())); }

    void everySourceReadsRight_data()
    {
        QTest::addColumn<QString>("sizeText");
        QTest::newRow("single") << QStringLiteral("48");
        QTest::newRow("single 256") << QStringLiteral("256");
        QTest::newRow("list") << List;
    }
    void everySourceReadsRight()
    {
        QFETCH(QString, sizeText);
        QTemporaryDir dir;
        const QStringList sources = makeSources(dir.path());
        QCOMPARE(convertBeside(sources, sizeText), QStringList{"Done."});
        for (const QString &source : sources) {
            const QString icon = iconOf(source);
            const QList<Entry> entries = directoryOf(readFile(icon));
            QVERIFY2(!entries.isEmpty(), qPrintable(icon));
            for (qsizetype i = 0; i < entries.size(); ++i) {
                const Entry &e = entries[i];
                QVERIFY2(i == 0 || e.side < entries[i - 1].side, qPrintable(icon));
                QCOMPARE(e.png, e.side == 256 && entries.size() > 1);
                if (e.png)
                    QCOMPARE(e.colourType, 6);
                else
                    QCOMPARE(QList<int>({e.bits, e.resolution}), QList<int>({32, 0}));
            }
            QImageReader reader(icon, "ico");
            QCOMPARE(reader.imageCount(), entries.size());
            for (int i = 0; i < entries.size(); ++i) {
                QVERIFY(reader.jumpToImage(i));
                const QImage image = reader.read();
                QVERIFY2(image.hasAlphaChannel(), qPrintable(icon));
                QCOMPARE(std::max(image.width(), image.height()), entries[i].side);
                QVERIFY2(image.pixelColor(image.width() / 2, image.height() / 2).alpha() > 0,
                         qPrintable(icon));
            }
            if (sizeText == List)
                QCOMPARE(entries.size(), 9);
            // What GTK file managers show, where its thumbnailer is installed.
            const QString gdk = QStandardPaths::findExecutable("gdk-pixbuf-thumbnailer");
            if (!gdk.isEmpty()) {
                const QString thumbnail = dir.filePath("thumbnail.png");
                QFile::remove(thumbnail);
                QCOMPARE(QProcess::execute(gdk, {"-s", "64", icon, thumbnail}), 0);
                const QImage shown(thumbnail);
                QVERIFY2(!shown.isNull(), qPrintable(icon));
                QVERIFY2(shown.pixelColor(shown.width() / 2, shown.height() / 2).alpha() > 0,
                         qPrintable(icon));
            }
        }
    }

    // Windows stretches every entry to a square: one number gives a square entry with
    // the picture fitted inside; only a size typed as WxH keeps the shape it makes.
    void entryShapes_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("sizeText");
        QTest::addColumn<QList<QSize>>("entries");
        QTest::newRow("square, one size") << QSize(64, 64) << "48" << QList<QSize>{{48, 48}};
        QTest::newRow("wide, one size") << QSize(300, 120) << "48" << QList<QSize>{{48, 48}};
        QTest::newRow("tall, user-defined number")
            << QSize(120, 300) << " 100 " << QList<QSize>{{100, 100}};
        QTest::newRow("wide, lone 256") << QSize(300, 120) << "256" << QList<QSize>{{256, 256}};
        QTest::newRow("wide, list")
            << QSize(300, 120) << "16,48" << QList<QSize>{{48, 48}, {16, 16}};
        QTest::newRow("wide, WxH") << QSize(300, 120) << "128x64" << QList<QSize>{{128, 51}};
        QTest::newRow("square, WxH") << QSize(64, 64) << "128x64" << QList<QSize>{{64, 64}};
    }
    void entryShapes()
    {
        QFETCH(QSize, picture);
        QFETCH(QString, sizeText);
        QFETCH(QList<QSize>, entries);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("a.png"));
        artwork(picture).save(source);
        QCOMPARE(convertBeside({source}, sizeText), QStringList{"Done."});
        const QList<Entry> directory = directoryOf(readFile(iconOf(source)));
        QImageReader reader(iconOf(source), "ico");
        QCOMPARE(reader.imageCount(), entries.size());
        for (int i = 0; i < entries.size(); ++i) {
            QVERIFY(reader.jumpToImage(i));
            const QImage image = reader.read();
            QCOMPARE(image.size(), entries[i]);
            QCOMPARE(directory[i].side, entries[i].width());
            // Fitted, not cropped: opaque in the middle; centred on transparency.
            const int x = image.width() / 2;
            const int y = image.height() / 2;
            QVERIFY(image.pixelColor(x, y).alpha() > 0);
            if (picture.width() > picture.height() && image.width() == image.height()) {
                QCOMPARE(image.pixelColor(x, 0).alpha(), 0);
                QCOMPARE(image.pixelColor(x, image.height() - 1).alpha(), 0);
                QVERIFY(image.pixelColor(1, y).alpha() > 0);
            }
        }
    }

    // What another converter might write, re-packed: largest first, the 256 px entry
    // PNG, every bitmap's mask set exactly where its pixels are less than half opaque.
    void repackPutsLargestFirstWithMasks_data()
    {
        QTest::addColumn<QList<int>>("sides"); // as written, in this order
        QTest::addColumn<bool>("png256");      // the 256 px entry already compressed
        // Qt's own writer stores a 256 px picture as an uncompressed DIB.
        QTest::newRow("bitmap 256 after a small one") << QList<int>{48, 256} << false;
        QTest::newRow("right kinds, smallest first") << QList<int>{16, 48, 256} << true;
    }
    void repackPutsLargestFirstWithMasks()
    {
        QFETCH(QList<int>, sides);
        QFETCH(bool, png256);
        QList<QByteArray> singles;
        for (const int side : sides) {
            QByteArray single = icoOf(artwork({side, side}));
            if (side == 256 && png256) {
                QByteArray data;
                QBuffer buffer(&data);
                buffer.open(QIODevice::WriteOnly);
                artwork({side, side}).save(&buffer, "PNG");
                data = withPngChunk(data, "tEXt", QByteArray("Title\0logo", 10));
                single = IcoFile::write({{IcoFile(single).entries().value(0), data}});
            }
            singles << single;
        }
        const QByteArray written = joined(singles);
        QVERIFY(!isCanonicalIcon(written));
        QVERIFY(!repackIcon(written.left(written.size() / 2)));

        const auto packed = repackIcon(written);
        QVERIFY(packed);
        QVERIFY(isCanonicalIcon(*packed));
        const QList<Entry> entries = directoryOf(*packed);
        QList<int> largestFirst = sides;
        std::sort(largestFirst.begin(), largestFirst.end(), std::greater<int>());
        QBuffer buffer;
        buffer.setData(*packed);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "ico");
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const int side = largestFirst.value(i);
            QCOMPARE(entries[i].side, side);
            QCOMPARE(entries[i].png, side == 256);
            QVERIFY(reader.jumpToImage(int(i)));
            QCOMPARE(reader.read().convertToFormat(QImage::Format_ARGB32), artwork({side, side}));
            const IcoFile file(*packed);
            if (entries[i].png) {
                // Nothing between the header and the pixels: no colour, resolution or text.
                QCOMPARE(file.dataOf(file.entries().value(i)).mid(37, 4), "IDAT");
                continue;
            }
            const QByteArray bitmap = file.dataOf(file.entries().value(i));
            const char *dib = bitmap.constData();
            const char *mask = dib + 40 + side * side * 4;
            const int maskRow = (side + 31) / 32 * 4;
            QList<int> clearAndMasked{0, 0};
            for (int y = 0; y < side; ++y) { // both bottom-up
                for (int x = 0; x < side; ++x) {
                    const bool clear = quint8(dib[40 + (y * side + x) * 4 + 3]) < 128;
                    const bool masked = mask[y * maskRow + x / 8] & (0x80 >> (x % 8));
                    QVERIFY2(clear == masked,
                             qPrintable(QStringLiteral("%1 px at %2,%3").arg(side).arg(x).arg(y)));
                    ++clearAndMasked[clear];
                }
            }
            QVERIFY(clearAndMasked[0] > 0 && clearAndMasked[1] > 0);
        }
        // Alone, a 256 px entry stays a DIB, which every reader draws.
        QVERIFY(isCanonicalIcon(icoOf(artwork({256, 256}))));
    }

    void perSizePicturesAreFound_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<QStringList>("found"); // "size:name"
        const QStringList folder{"logo.png",       "logo-16.png",  "logo_32X32.PNG",
                                 "logo-48x48.svg", "LOGO_24.png",  "logo-64.ico",
                                 "logo-20x21.png", "logos-16.png", "logo-96.txt"};
        QTest::newRow("both separators, any case")
            << folder << QList<int>{16, 20, 24, 32, 48, 64, 96, 256}
            << QStringList{"16:logo-16.png", "24:LOGO_24.png", "32:logo_32X32.PNG",
                           "48:logo-48x48.svg"};
        QTest::newRow("only listed sizes")
            << folder << QList<int>{32, 256} << QStringList{"32:logo_32X32.PNG"};
        QTest::newRow("first spelling wins") << QStringList{"logo_16.png", "logo-16.png"}
                                             << QList<int>{16} << QStringList{"16:logo-16.png"};
    }
    void perSizePicturesAreFound()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<int>, sizes);
        QFETCH(QStringList, found);
        QStringList got;
        const auto pictures = perSizePictures(QStringLiteral("logo.png"), names, sizes);
        for (auto it = pictures.cbegin(); it != pictures.cend(); ++it)
            got << QStringLiteral("%1:%2").arg(it.key()).arg(*it);
        QCOMPARE(got, found);
    }

    void perSizePictureJoinsItsIcon()
    {
        QTemporaryDir dir;
        const QString logo = dir.filePath(QStringLiteral("logo.png"));
        const QString own = dir.filePath(QStringLiteral("Logo_16.png"));
        QImage blue(64, 64, QImage::Format_ARGB32);
        blue.fill(Qt::blue);
        blue.save(logo);
        QImage green(16, 16, QImage::Format_ARGB32);
        green.fill(Qt::green);
        green.save(own);

        // The designer's picture is a row too: it counts as done, in logo.ico.
        QCOMPARE(convertBeside({logo, own}, QStringLiteral("32,16")), QStringList{"Done."});
        QVERIFY(!QFile::exists(iconOf(own)));
        QImageReader reader(iconOf(logo), "ico");
        QCOMPARE(reader.imageCount(), 2);
        QCOMPARE(reader.read().pixelColor(8, 8), QColor(Qt::blue));
        QVERIFY(reader.jumpToImage(1));
        QCOMPARE(reader.read().pixelColor(8, 8), QColor(Qt::green));

        // A single size: each row on its own, as always.
        QCOMPARE(convertBeside({logo, own}, QStringLiteral("16")), QStringList{"Done."});
        QCOMPARE(QImage(iconOf(logo), "ICO").pixelColor(8, 8), QColor(Qt::blue));
        QVERIFY(QFile::exists(iconOf(own)));
    }

    void svgIsDrawnAtEachSize()
    {
        const QString rsvg = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
        if (rsvg.isEmpty())
            QSKIP("rsvg-convert is not installed");
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("vector.svg"));
        QFile svg(source);
        QVERIFY(svg.open(QIODevice::WriteOnly));
        svg.write(Svg);
        svg.close();
        QCOMPARE(convertBeside({source}, QStringLiteral("256,16")), QStringList{"Done."});
        QImageReader reader(iconOf(source), "ico");
        for (const int size : {256, 16}) {
            const QString drawn = dir.filePath(QStringLiteral("drawn.png"));
            QVERIFY(run(rsvg, {"-w", QString::number(size), "-h", QString::number(size), "-o",
                               drawn, source}));
            const QImage entry = reader.read();
            QVERIFY2(rmsError(entry, QImage(drawn)) < 1.0, qPrintable(QString::number(size)));
            reader.jumpToNextImage();
        }
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
