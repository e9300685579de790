// The converter's argument list for one size.
#include "convert/CommandLine.h"

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
        QTest::newRow("shrinking averages") << QSize(512, 512) << "48"
                                            << "Box";
        QTest::newRow("enlarging is smooth") << QSize(32, 32) << "256"
                                             << "Mitchell";
        QTest::newRow("percent") << QSize(100, 100) << "50%"
                                 << "Box";
        QTest::newRow("unknown picture: ImageMagick's own") << QSize() << "48"
                                                            << "";
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
        QCOMPARE(arguments.mid(arguments.indexOf("-resize"), 2), QStringList({"-resize", size}));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
