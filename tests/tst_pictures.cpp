// Which files the real converter reads as pictures, and how it says why it cannot.
#include "BatchFakes.h"
#include "TestSupport.h"
#include "convert/ConverterTool.h"
#include "convert/PictureInput.h"

#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A header that declares a picture of this size, and no pixels.
QByteArray declaredPng(quint32 width, quint32 height)
{
    const QByteArray header =
        bigEndian32(width) + bigEndian32(height) + QByteArray("\x08\x02\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IEND", {});
}

// An uncompressed 8 x 8 TGA: the one format here without a signature.
QByteArray redTga()
{
    QByteArray tga("\0\0\x02\0\0\0\0\0\0\0\0\0\x08\0\x08\0\x18\0", 18);
    for (int i = 0; i < 64; ++i)
        tga += QByteArray("\0\0\xff", 3);
    return tga;
}
} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A red picture in `format` (after any `settings`), as ImageMagick itself writes it.
    QByteArray made(const QString &format, const QString &size = "8x8",
                    const QStringList &settings = {})
    {
        const QString magick = m_dir.filePath("magick");
        if (!QFile::exists(magick))
            writeFile(magick, loadConverterImage(), QFile::ReadOwner | QFile::ExeOwner);
        QProcess child;
        child.start(magick,
                    QStringList{"-size", size, "xc:red"} + settings + QStringList{format + ":-"});
        child.waitForFinished();
        return child.readAllStandardOutput();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("TEMP", QFile::encodeName(m_dir.filePath("temp")));
        QDir().mkpath(m_dir.filePath("temp"));
    }

    // Each format's header gives the size without the picture being read.
    void headersDeclareTheSize_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("reader");
        for (const char *format : {"png", "jpeg", "gif", "bmp", "tiff", "tga", "xpm", "ico"})
            QTest::newRow(format) << format << QStringList() << format;
        QTest::newRow("bmp, OS/2") << "bmp2" << QStringList() << "bmp";
        QTest::newRow("big tiff") << "tiff64" << QStringList() << "tiff";
        QTest::newRow("tiff, Motorola order")
            << "tiff" << QStringList{"-define", "tiff:endian=msb"} << "tiff";
        for (const char *format : {"pbm", "pgm", "ppm", "pam"})
            QTest::newRow(format) << format << QStringList() << "pnm";
        QTest::newRow("webp") << "webp" << QStringList() << "webp";
        QTest::newRow("webp, lossless")
            << "webp" << QStringList{"-define", "webp:lossless=true"} << "webp";
        QTest::newRow("webp, extended") << "webp" << QStringList{"-transparent", "red"} << "webp";
    }
    void headersDeclareTheSize()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, settings);
        const QString file = m_dir.filePath("sized.tga");
        writeFile(file, made(format, "200x7", settings));
        const PictureInput picture = pictureInput(file, "in-1");
        QTEST(picture.reader, "reader");
        QCOMPARE(picture.size, QSize(200, 7));
    }

    // The converter reads each file as the picture its content is, whatever its name;
    // a text never becomes one of the converter's own pictures or scripts.
    void onlyPicturesAreReadAsPictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason"); // empty: converted
        const QString notAPicture = "not a picture that can be read";
        const QByteArray drawing("viewbox 0 0 8 8\nfill red\ncircle 4,4 4,0\n");
        for (const char *name : {"doc.rose", "doc.logo", "doc.wizard", "doc.granite",
                                 "doc.netscape", "doc.caption", "doc.mvg", "doc.txt"})
            QTest::newRow(name) << name << drawing << notAPicture;
        QTest::newRow("a PNG named logo.rose") << "logo.rose" << greyPng(8, 8) << QString();
        for (const char *format : {"jpeg", "gif", "bmp", "webp", "tiff", "ppm", "xpm", "ico"})
            QTest::newRow(format) << "picture.dat" << made(format) << QString();
        QTest::newRow("TGA") << "logo.TGA" << redTga() << QString();
        QTest::newRow("TGA under another name") << "logo.rose" << redTga() << notAPicture;
        QTest::newRow("SVG named .png")
            << "drawing.png" << svgDrawing("<rect width='64' height='64' fill='red'/>")
            << QString();
        QTest::newRow("a truncated PNG")
            << "cut.png" << greyPng(64, 64).left(60) + QByteArray(40, 'x') << notAPicture;
        QTest::newRow("too wide")
            << "huge.png" << declaredPng(20000, 20000)
            << "too large to convert: 20000 × 20000 pixels (at most 16000 a side)";
        QTest::newRow("too many pixels")
            << "many.png" << declaredPng(12000, 12000)
            << "too large to convert: 12000 × 12000 pixels (at most 128 million pixels)";
    }
    void onlyPicturesAreReadAsPictures()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QVERIFY(!content.isEmpty());
        const QString source = m_dir.filePath(QTest::currentDataTag() + QStringLiteral("/") + name);
        writeFile(source, content);
        const QStringList shown = convertBeside({source}, "16,32");
        const QString icon = source.left(source.lastIndexOf('.')) + ".ico";
        if (reason.isEmpty()) {
            QCOMPARE(shown, QStringList{"Done."});
            QVERIFY(QFile::exists(icon));
        } else {
            QCOMPARE(shown.size(), 1);
            QVERIFY2(shown.first().endsWith(source + " (" + reason + ")"),
                     qPrintable(shown.first().simplified()));
            QVERIFY(!QFile::exists(icon));
        }
    }
    // A picture that holds several (an animation's frames, an icon's entries) gives
    // one: the first frame, or the icon's largest entry; never all of them.
    void oneOfManyPicturesIsRead_data()
    {
        QTest::addColumn<QStringList>("drawing"); // ImageMagick's arguments
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sizes");
        QTest::addColumn<QColor>("colour"); // of every entry
        const QStringList frames{"-size", "64x64", "xc:red", "xc:lime", "xc:blue"};
        const QStringList entries{"-size",   "16x16", "xc:red", "(",     "-size",  "48x48",
                                  "xc:blue", ")",     "-size",  "32x32", "xc:lime"};
        for (const char *sizes : {"32", "16,32"}) {
            QTest::addRow("animation, %s", sizes)
                << frames << "anim.gif" << sizes << QColor(Qt::red);
            QTest::addRow("icon, %s", sizes)
                << entries << "multi.icon" << sizes << QColor(Qt::blue);
        }
    }
    void oneOfManyPicturesIsRead()
    {
        QFETCH(QStringList, drawing);
        QFETCH(QString, name);
        QFETCH(QString, sizes);
        QFETCH(QColor, colour);
        const QString folder = m_dir.filePath(QString(QTest::currentDataTag()).replace(' ', '_'));
        QVERIFY(QDir().mkpath(folder));
        const QString source = folder + '/' + name;
        const QString written = (name.endsWith(".icon") ? "ico:" : "") + source;
        QVERIFY(QProcess::execute("/usr/bin/convert-im6.q16", drawing + QStringList{written}) == 0);
        QCOMPARE(convertBeside({source}, sizes), QStringList{"Done."});
        QImageReader icon(source.left(source.lastIndexOf('.')) + ".ico");
        QStringList made;
        do {
            const QImage entry = icon.read();
            made << QString::number(entry.width());
            QCOMPARE(entry.pixelColor(entry.width() / 2, entry.height() / 2), colour);
        } while (icon.jumpToNextImage());
        made.sort();
        QStringList asked = sizes.split(',');
        asked.sort();
        QCOMPARE(made, asked);
    }
};

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
