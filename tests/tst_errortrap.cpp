// The error report of trapped handlers.
#include "TestSupport.h"
#include "core/ErrorTrap.h"

#include <QtTest>

class TestErrorTrap : public QObject
{
    Q_OBJECT

private slots:
    void errorTrapGoesOn()
    {
        FakeReporter reporter;
        ErrorTrap trap(reporter, QStringLiteral("in Tessiva2021/08/31.Form1.Test "));
        QStringList ran;
        trap.run(100, [&] {
            ran << "100";
            throw AppError(5, QStringLiteral("Boom"));
        });
        trap.run(102, [&] { ran << "102"; });
        if (trap.holdsOrErred(
                104, [&]() -> bool { throw AppError(13, QStringLiteral("Type mismatch")); }))
            ran << "guarded";
        QCOMPARE(ran, (QStringList{"100", "102", "guarded"}));
        QCOMPARE(reporter.reports.size(), 2);
        QCOMPARE(reporter.reports.first(),
                 QStringLiteral("Boom\r\nin Tessiva2021/08/31.Form1.Test at line 100\r\n\r\n"
                                "Please email screenshot of this message to ") +
                     QLatin1String(SupportAddress));
        QVERIFY(reporter.reports.last().contains(QStringLiteral("at line 104")));
    }
};

QTEST_GUILESS_MAIN(TestErrorTrap)
#include "tst_errortrap.moc"
