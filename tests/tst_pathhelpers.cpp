#include "convert/PathHelpers.h"
#include <QtTest>
class TestPathHelpers : public QObject
{
    Q_OBJECT private slots : void x() { QCOMPARE(StripExtension("a.png"), QString("a")); }
};
QTEST_GUILESS_MAIN(TestPathHelpers)
#include "tst_pathhelpers.moc"
