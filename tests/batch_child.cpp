// A batch in a process of its own, for the tests that kill it, run two at once or
// take permissions away: batch_child DEST SIZE SOURCE... prints the final message.
#include "BatchFakes.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4)
        return 2;
    FakeWindow window;
    FakeReporter reporter;
    window.folder = arguments.at(1);
    window.selectedSize = 7;
    window.sizeText = arguments.at(2);
    window.rows = arguments.mid(3);
    FakeBatch batch(window, reporter);
    batch.PushButton2_Click();
    for (const QString &report : std::as_const(reporter.reports))
        std::printf("REPORT %s\n", qPrintable(report));
    std::printf("%s\n", qPrintable(window.messages.join(QLatin1Char('\n'))));
    return 0;
}
