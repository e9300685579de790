// placeholder
#include <QtTest>
class TestConversion : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
