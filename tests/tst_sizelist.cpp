// Reading a list of icon sizes typed as the user-defined size.
#include "convert/SizeList.h"

#include <QtTest>

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

    void singleSizesAreNoList()
    {
        for (const char *text : {"48", "128x64", "", "100%"})
            QVERIFY(!isSizeList(QString::fromLatin1(text)));
    }
};

QTEST_GUILESS_MAIN(TestSizeList)
#include "tst_sizelist.moc"
