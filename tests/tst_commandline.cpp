// The converter's argument list for one size.
#include "convert/CommandLine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void eachPathIsOneArgument()
    {
        const PictureInput picture{"/a b/\"q\".png", "in-1.png", QSize(64, 64), false};
        const QStringList arguments =
            converterArguments(picture, IconSize::fromText("32 x"), "/o/50%off.ico");
        QCOMPARE(arguments.first(), "in-1.png");
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
    }
    void filterFollowsTheDirection()
    {
        QFETCH(QSize, picture);
        QFETCH(QString, size);
        QFETCH(QString, filter);
        const QStringList arguments = converterArguments({"/p.png", "in-1.png", picture, false},
                                                         IconSize::fromText(size), "out-1.ico");
        const qsizetype at = arguments.indexOf("-filter");
        QCOMPARE(at < 0 ? QString() : arguments.value(at + 1), filter);
        QFETCH(QString, resize);
        QCOMPARE(arguments.mid(arguments.indexOf("-resize"), 2), QStringList({"-resize", resize}));
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
        const PictureInput picture = pictureInput(path, "in-1.svg");
        QVERIFY(picture.vector);
        QVERIFY(!picture.tooLarge);
        QTEST(picture.size, "size");
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
