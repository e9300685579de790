// The batch's accounting: every row of a batch is named in its summary, and a
// designer's picture counts as converted only when an icon holds it.
#include "BatchFakes.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

class TestBatchAccounting : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void init()
    {
        QDir().mkpath(m_dir.filePath("temp"));
        qputenv("TEMP", QFile::encodeName(m_dir.filePath("temp")));
    }

    void everyRowIsAccountedFor_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("sizes");
        QTest::addColumn<bool>("crash");
        QTest::addColumn<int>("stopAtStart"); // that child never ends; the user stops
        QTest::addColumn<int>("moveAtStart"); // the last row moves to the top then
        QTest::addColumn<QStringList>("summary"); // %1: the pictures' folder

        QTest::newRow("own picture, its icon made")
            << QStringList{"logo-16.png", "logo.png"} << "16,16" << false << 0 << 0
            << QStringList{"Done."};
        QTest::newRow("own picture, its icon failed")
            << QStringList{"logo-16.png", "logo.png"} << "16,32" << true << 0 << 0
            << QStringList{"Done.", "", "2 of 2 files could not be converted:",
                           "%1/logo-16.png (part of logo.ico, which could not be made: logo.png: "
                           "the converter stopped unexpectedly)",
                           "%1/logo.png (the converter stopped unexpectedly)"};
        QTest::newRow("own picture, a stop before its icon")
            << QStringList{"logo-16.png", "x.png", "logo.png"} << "16,32" << false << 1 << 0
            << QStringList{"Stopped.", "", "0 of 3 files were converted before the stop. Not "
                                           "converted:",
                           "%1/logo-16.png (part of logo.ico, which could not be made: logo.png: "
                           "stopped before it was converted)",
                           "%1/x.png (stopped before it was converted)",
                           "%1/logo.png (stopped before it was converted)"};
        QTest::newRow("a row moved onto a passed place")
            << QStringList{"a.png", "b.png", "c.png", "d.png"} << "32" << false << 0 << 3
            << QStringList{"Done.", "", "1 of 4 files could not be converted:",
                           "%1/d.png (moved during the batch)"};
    }
    void everyRowIsAccountedFor()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, sizes);
        QFETCH(bool, crash);
        QFETCH(int, stopAtStart);
        QFETCH(int, moveAtStart);
        QFETCH(QStringList, summary);
        const QString folder = m_dir.filePath(QTest::currentDataTag()).replace(' ', '_');
        FakeWindow window;
        window.jobs = 1;
        window.selectedSize = 7;
        window.sizeText = sizes;
        window.folder = m_dir.filePath("out");
        QDir().mkpath(window.folder);
        for (const QString &name : names) {
            QVERIFY(makePng(folder + '/' + name, 16, 16));
            window.rows << folder + '/' + name;
        }
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        if (crash)
            runner->act = [](const FakeRunner::Start &) {
                return ChildEnd{ChildProcess::End::Crashed, 0, {}};
            };
        runner->delayMs = [&](const FakeRunner::Start &s) {
            return s.job == stopAtStart ? 3600 * 1000 : 10;
        };
        FakeBatch batch(window, reporter, std::unique_ptr<ConverterRunner>(runner));
        QObject thisTest;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &thisTest, [&] {
            if (stopAtStart > 0 && runner->starts.size() == stopAtStart)
                batch.stop();
            if (moveAtStart > 0 && runner->starts.size() == moveAtStart) {
                window.rows.move(window.rows.size() - 1, 0);
                moveAtStart = 0;
            }
        });
        watch.start(1);
        batch.PushButton2_Click();
        QCOMPARE(window.messages.value(0).split("\r\n"), summary.replaceInStrings("%1", folder));
        QCOMPARE(reporter.reports, QStringList());
    }
};

QTEST_MAIN(TestBatchAccounting)
#include "tst_batchaccounting.moc"
