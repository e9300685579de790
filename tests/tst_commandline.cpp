// Splitting the size text as Windows does, and the converter's argument list.
#include "convert/CommandLine.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void splitsAsWindowsDoes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("number") << "32" << QStringList{"32"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("blanks") << "  " << QStringList{};
        QTest::newRow("two") << "32 -flip" << QStringList{"32", "-flip"};
        QTest::newRow("quoted") << "\"a b\" c" << QStringList{"a b", "c"};
        QTest::newRow("escaped quote") << "a\\\"b" << QStringList{"a\"b"};
        QTest::newRow("backslashes kept") << "a\\\\b" << QStringList{"a\\\\b"};
        QTest::newRow("even backslashes then quote") << "\"a\\\\\" b" << QStringList{"a\\", "b"};
        QTest::newRow("empty quotes") << "\"\"" << QStringList{""};
    }

    void splitsAsWindowsDoes()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        QCOMPARE(splitWindowsArguments(text), arguments);
    }

    void eachPathIsOneArgument()
    {
        QCOMPARE(converterArguments("/a b/\"q\".png", true, "32", "/o/50%off.ico"),
                 (QStringList{"/a b/\"q\".png", "-resize", "32", "/o/50%%off.ico"}));
        QCOMPARE(converterArguments("/s.png", true, "", "/o/s.ico"),
                 (QStringList{"/s.png", "-resize", "/o/s.ico"}));
        QCOMPARE(converterArguments("/s.png", false, "", "/o/x%03d.ico"),
                 (QStringList{"/s.png", "/o/x%%03d.ico"}));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
