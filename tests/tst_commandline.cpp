// The converter's argument list for one size.
#include "convert/CommandLine.h"
#include "convert/PictureColour.h"
#include "convert/TimeLimit.h"

#include "TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Windows' sizes for an application icon at its display scales.
const QList<int> WindowsSizes{16, 20, 24, 30, 32, 36, 40, 48, 60, 64, 72, 80, 96, 256};
} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void eachPathIsOneArgument()
    {
        const PictureInput picture{"/a b/\"q\".png", "in-1", "png", QSize(64, 64)};
        const QStringList arguments =
            converterArguments(picture, IconSize::fromText("32 x"), "/o/50%off.ico");
        QCOMPARE(arguments.first(), "png:in-1[0]");
        QVERIFY(arguments.contains("32 x")); // refused before, but never split
        QCOMPARE(arguments.last(), "/o/50%%off.ico");
    }

    void filterFollowsTheDirection_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("resize");
        QTest::newRow("shrinking averages") << QSize(512, 512) << "48"
                                            << "Box"
                                            << "48x48";
        QTest::newRow("enlarging is smooth") << QSize(32, 32) << "256"
                                             << "Mitchell"
                                             << "256x256";
        QTest::newRow("percent, as typed") << QSize(100, 100) << "50%"
                                           << "Box"
                                           << "50%";
        QTest::newRow("unknown picture: ImageMagick's own") << QSize() << "48"
                                                            << ""
                                                            << "48x48";
        // Already the entry's size: copied, never resampled.
        QTest::newRow("equal") << QSize(16, 16) << "16"
                               << ""
                               << "";
        QTest::newRow("oblong, fitting exactly") << QSize(16, 8) << "16"
                                                 << ""
                                                 << "";
        QTest::newRow("equal, as typed") << QSize(128, 64) << "128x64"
                                         << ""
                                         << "";
    }
    void filterFollowsTheDirection()
    {
        QFETCH(QSize, picture);
        QFETCH(QString, size);
        QFETCH(QString, filter);
        const QStringList arguments = converterArguments({"/p.png", "in-1", "png", picture},
                                                         IconSize::fromText(size), "out-1.ico");
        const qsizetype at = arguments.indexOf("-filter");
        QCOMPARE(at < 0 ? QString() : arguments.value(at + 1), filter);
        QFETCH(QString, resize);
        const qsizetype resizeAt = arguments.indexOf("-resize");
        QCOMPARE(resizeAt < 0 ? QString() : arguments.value(resizeAt + 1), resize);
    }

    // A designer's own picture for each of the first `count` entries of Windows' set,
    // each at its entry's size: every one read once and copied as it is; the picture
    // itself fills only the rest, read once, and all within what a command line takes.
    void ownPicturesForAnyCount_data()
    {
        QTest::addColumn<int>("count");
        for (int count = 1; count <= int(WindowsSizes.size()); ++count)
            QTest::addRow("%d own", count) << count;
    }
    void ownPicturesForAnyCount()
    {
        QFETCH(int, count);
        QMap<int, PictureInput> own;
        for (const int size : WindowsSizes.first(count)) {
            own.insert(size, {QStringLiteral("/p/logo-%1.png").arg(size),
                              QStringLiteral("in-1-%1").arg(size), "png", QSize(size, size)});
        }
        QStringList sizes;
        for (const int size : WindowsSizes)
            sizes << QString::number(size);
        const PictureInput picture{"/p/logo.png", "in-1", "png", QSize(1024, 1024)};
        const QStringList arguments =
            converterArguments(picture, IconSize::fromText(sizes.join(',')), "out-1.ico", own);
        for (const PictureInput &input : std::as_const(own)) {
            const QString read = "png:" + input.name + "[0]";
            QCOMPARE(arguments.count(read), 1);
            const qsizetype at = arguments.indexOf(read);
            QCOMPARE(arguments.mid(at - 1, 7),
                     QStringList({"(", read, "-profile", SrgbProfileName, "-extent",
                                  QStringLiteral("%1x%1").arg(input.size.width()), ")"}));
        }
        QCOMPARE(arguments.count("png:in-1[0]"), count < WindowsSizes.size() ? 1 : 0);
        QCOMPARE(arguments.count("Box"), WindowsSizes.size() - count);
        QCOMPARE(arguments.count("Mitchell"), 0);
        qsizetype bytes = 0;
        for (const QString &argument : arguments)
            bytes += argument.toUtf8().size() + 1;
        QVERIFY2(bytes < 4096, qPrintable(QString::number(bytes)));
    }

    // A gamma is undone only where nothing else says how to show the picture and it
    // is not sRGB's own; a profile is always applied.
    void coloursBecomeSrgb_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QStringList>("colour"); // what follows the picture's name
        const QByteArray png = greyPng(4, 4);
        const QStringList profile{"-profile", SrgbProfileName};
        const QStringList linear =
            QStringList{"-gamma", "1", "-set", "colorspace", "RGB", "-colorspace", "sRGB"} +
            profile;
        const QByteArray one = bigEndian32(100000);
        QTest::newRow("untagged") << png << profile;
        QTest::newRow("gamma 1.0") << withPngChunk(png, "gAMA", one) << linear;
        QTest::newRow("sRGB's own gamma")
            << withPngChunk(png, "gAMA", bigEndian32(45455)) << profile;
        QTest::newRow("gamma and a profile")
            << withPngChunk(withPngChunk(png, "gAMA", one), "iCCP", "p\0\0") << profile;
        QTest::newRow("gamma and sRGB")
            << withPngChunk(withPngChunk(png, "sRGB", "\0"), "gAMA", one) << profile;
    }
    void coloursBecomeSrgb()
    {
        QFETCH(QByteArray, png);
        QTemporaryDir dir;
        writeFile(dir.filePath("a.png"), png);
        const PictureInput picture = pictureInput(dir.filePath("a.png"), "in-1");
        QCOMPARE(picture.size, QSize(4, 4));
        const QStringList arguments = converterArguments(picture, IconSize(), "out-1.ico");
        QTEST(arguments.mid(1, arguments.indexOf("-set", arguments.indexOf("-profile")) - 1),
              "colour");
    }

    // A limit grows with the pixels the converter reads and makes, drawn ones for
    // an SVG whatever size it declares, and never past ten minutes.
    void timeLimitFollowsTheWork_data()
    {
        QTest::addColumn<bool>("vector");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("size");
        QTest::addColumn<int>("seconds");
        QTest::newRow("a small PNG") << false << QSize(64, 64) << "48" << 120;
        QTest::newRow("a PNG of unknown size") << false << QSize() << "48" << 376;
        QTest::newRow("a large PNG, read for each entry")
            << false << QSize(4000, 4000) << "16,32,48" << 216;
        QTest::newRow("the largest PNG at Windows' sizes")
            << false << QSize(16000, 8000) << "16,20,24,30,32,36,40,48,60,64,72,80,96,256" << 600;
        QTest::newRow("an SVG declaring a million pixels a side")
            << true << QSize(1000000, 1000000) << "48" << 120;
        QTest::newRow("such an SVG as it is") << true << QSize(1000000, 1000000) << "" << 600;
        QTest::newRow("such an SVG at Windows' sizes")
            << true << QSize(1000000, 1000000) << "16,20,24,30,32,36,40,48,60,64,72,80,96,256"
            << 120;
    }
    void timeLimitFollowsTheWork()
    {
        QFETCH(bool, vector);
        QFETCH(QSize, picture);
        QFETCH(QString, size);
        const PictureInput input{"/p", "in-1", vector ? "qrsvg" : "png", picture, vector};
        const IconSize iconSize = size.isEmpty() ? IconSize() : IconSize::fromText(size);
        const auto limit = conversionTimeLimit(conversionWork(input, iconSize));
        QTEST(int(std::chrono::duration_cast<std::chrono::seconds>(limit).count()), "seconds");
    }

    // Read from the root alone, as librsvg draws it; any name, and compressed too.
    void svgSizeFromItsRoot_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("root");
        QTest::addColumn<QSize>("size");
        QTest::newRow("pixels") << "a.svg" << QByteArray("width='40' height='20px'")
                                << QSize(40, 20);
        QTest::newRow("units at 96 dpi")
            << "a.svg" << QByteArray("width='1in' height='72pt'") << QSize(96, 96);
        QTest::newRow("a view box")
            << "a.svg" << QByteArray("viewBox='0 0 300 150'") << QSize(300, 150);
        QTest::newRow("a width and a view box")
            << "a.svg" << QByteArray("width='60' viewBox='0,0,300,150'") << QSize(60, 30);
        QTest::newRow("per cent of a view box")
            << "a.svg" << QByteArray("width='100%' height='50%' viewBox='0 0 30 10'")
            << QSize(30, 10);
        QTest::newRow("no size") << "a.svg" << QByteArray("") << QSize();
        QTest::newRow("named .png")
            << "a.png" << QByteArray("width='40' height='20'") << QSize(40, 20);
        QTest::newRow("compressed")
            << "a.svgz" << QByteArray("width='40' height='20'") << QSize(40, 20);
    }
    void svgSizeFromItsRoot()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, root);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QFile file(dir.filePath("plain"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<?xml version='1.0'?>\n<svg xmlns='http://www.w3.org/2000/svg' " + root + "/>");
        file.close();
        const QString copy = name.endsWith("z") ? "gzip -c \"$0\" > \"$1\"" : "cp \"$0\" \"$1\"";
        QCOMPARE(QProcess::execute("sh", {"-c", copy, file.fileName(), path}), 0);
        const PictureInput picture = pictureInput(path, "in-1");
        QVERIFY(picture.vector);
        QVERIFY(picture.fault.isNone());
        QTEST(picture.size, "size");
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
