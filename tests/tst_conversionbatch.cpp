// The batch with a fake runner: what the user sees, the order rules under parallel
// runs, the checks before and after each child, and the summary's reasons.
#include "BatchFakes.h"
#include "TestSupport.h"
#include "app/Texts.h"
#include "convert/ConverterTool.h"
#include "convert/FailureReason.h"
#include "convert/IconCheck.h"
#include "convert/JobCheck.h"

#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

class TestConversionBatch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_temp;
    std::unique_ptr<FakeBatch> m_batch;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Runs a batch over `rows` into folder "out" with a fake runner set up by `setUp`.
    QString runBatch(FakeWindow &window, FakeRunner *runner, FakeReporter &reporter,
                     TimeLimit limit = {})
    {
        QDir().mkpath(path("out"));
        if (window.folder.isEmpty())
            window.folder = path("out");
        // The batch owns the runner; it stays until the test ends so the test may ask it.
        m_batch = std::make_unique<FakeBatch>(window, reporter,
                                              std::unique_ptr<ConverterRunner>(runner), limit);
        m_batch->PushButton2_Click();
        return window.messages.value(0);
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_temp = path("temp");
        QDir().mkpath(m_temp);
        qputenv("TEMP", QFile::encodeName(m_temp));
    }
    void cleanup()
    {
        m_batch.reset();
        QDir(path("out")).removeRecursively();
        QDir(m_temp).removeRecursively();
    }

    void waitingDisplay_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("polls");
        QTest::addColumn<QString>("text");
        QTest::newRow("first") << "Processing: a.png" << 50 << "Processing: a.png, Please wait.. 0";
        QTest::newRow("later") << "Processing: a.png" << 61
                               << "Processing: a.png, Please wait.. 11";
        QTest::newRow("no caption") << "" << 52 << "Please wait.. 2";
    }
    void waitingDisplay()
    {
        QFETCH(QString, caption);
        QFETCH(int, polls);
        QFETCH(QString, text);
        QCOMPARE(waitingText(caption, polls), text);
    }

    void creep_data()
    {
        QTest::addColumn<int>("polls");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("start");
        QTest::addColumn<double>("value"); // -1: the bar does not move at this poll
        QTest::newRow("before 50") << 49 << 4 << 25 << -1.0;
        QTest::newRow("at 50") << 50 << 4 << 25 << 25.0;
        QTest::newRow("between") << 51 << 4 << 25 << -1.0;
        QTest::newRow("one creep") << 200 << 4 << 25 << 27.0; // step 2.5 -> 2
        QTest::newRow("capped") << 3650 << 4 << 25 << 48.0;   // cap 25 + 25 - 2
        QTest::newRow("20 rows: step 0") << 200 << 20 << 50 << 50.0;
        QTest::newRow("one row beyond 100") << 200 << 1 << 100 << 110.0;
        QTest::newRow("one row cap 190") << 5000 << 1 << 100 << 190.0;
    }
    void creep()
    {
        QFETCH(int, polls);
        QFETCH(int, rows);
        QFETCH(int, start);
        QFETCH(double, value);
        const auto v = creepValue(polls, rows, start);
        if (value < 0)
            QVERIFY(!v);
        else
            QCOMPARE(v.value_or(-2), value);
    }

    void outputPaths_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("output");
        QTest::newRow("folder") << "/img/a.png" << 8 << "/out"
                                << "/out/a.ico";
        QTest::newRow("folder with separator") << "/img/a.png" << 8 << "/out/"
                                               << "/out/a.ico";
        QTest::newRow("beside source") << "/img/photo.large.png" << 9 << ""
                                       << "/img/photo.large.ico";
        QTest::newRow("dot name") << "/img/.png" << 9 << ""
                                  << "/img/.png.ico";
        QTest::newRow("no extension") << "/img/noext" << 9 << ""
                                      << "/img/noext.ico";
        QTest::newRow("neither: previous") << "/img/a.png" << 0 << "/out"
                                           << "previous";
        QTest::newRow("root folder") << "/img/a.png" << 8 << "/"
                                     << "/a.ico";
    }
    void outputPaths()
    {
        QFETCH(QString, source);
        QFETCH(int, destination);
        QFETCH(QString, folder);
        QFETCH(QString, output);
        const Destination rule{destination == 8   ? Destination::Rule::Folder
                               : destination == 9 ? Destination::Rule::BesideSource
                                                  : Destination::Rule::Previous,
                               folder};
        QCOMPARE(outputPathFor(source, rule, "previous"), output);
    }

    void checksComeFirst_data()
    {
        QTest::addColumn<bool>("rows");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("message");
        const QString noFolder = "Folder does not exist. Please select another folder.";
        const QString noSize =
            "Size not accepted. An icon's pictures are 1 to 256 pixels: type a "
            "number from 1 to 256 (48), a list of them (16,32,48,256), a "
            "set's name (windows, windows-small, favicon), a kit's (kit, web, mac, linux, "
            "android, ios), or a size "
            "ImageMagick understands that fits in 256 (128x64, 50%).";
        QTest::newRow("empty list, missing folder, bad size") << false << 8 << "/no/such"
                                                              << "512"
                                                              << "No files added.";
        QTest::newRow("missing folder, bad size") << true << 8 << "/no/such"
                                                  << "0" << noFolder;
        QTest::newRow("empty folder text") << true << 8 << ""
                                           << "32" << noFolder;
        QTest::newRow("over 256") << true << 9 << ""
                                  << "512" << noSize;
        QTest::newRow("over 256 in a list") << true << 9 << ""
                                            << "16,512" << noSize;
        QTest::newRow("zero") << true << 9 << ""
                              << "0" << noSize;
        QTest::newRow("negative") << true << 9 << ""
                                  << "-16" << noSize;
        QTest::newRow("a box no picture fits") << true << 9 << ""
                                               << "300x300" << noSize;
        QTest::newRow("not a size") << true << 9 << ""
                                    << "32 -flip" << noSize;
    }
    void checksComeFirst()
    {
        QFETCH(bool, rows);
        QFETCH(int, destination);
        QFETCH(QString, folder);
        QFETCH(QString, size);
        QFETCH(QString, message);
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        if (rows)
            window.rows << path("a.png");
        window.selectedDestination = destination;
        window.folder = folder;
        window.selectedSize = 7;
        window.sizeText = size;
        FakeBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(window.messages, QStringList{message});
        QVERIFY(!batch.isConverting());
        QCOMPARE(QDir(m_temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        QVERIFY(window.pointers.isEmpty());
    }

    void secondStartDuringBatchIsIgnored()
    {
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        runner->delayMs = [](const FakeRunner::Start &) { return 300; };
        for (const char *name : {"a.png", "b.png"}) {
            QVERIFY(makePng(path(name), 8, 8));
            window.rows << path(name);
        }
        QTimer::singleShot(100, [&] {
            QVERIFY(m_batch->isConverting());
            m_batch->PushButton2_Click();
        });
        QCOMPARE(runBatch(window, runner, reporter), QStringLiteral("Done."));
        QCOMPARE(runner->starts.size(), 2);
        QCOMPARE(window.messages.size(), 1);
    }

    void noSizeChosenGivesNoResize()
    {
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        QVERIFY(makePng(path("a.png"), 8, 8));
        window.rows << path("a.png");
        window.selectedSize = 0;
        runBatch(window, runner, reporter);
        const QStringList arguments = runner->starts.value(0).arguments;
        QCOMPARE(arguments.value(8), "png:in-1[0]");
        QCOMPARE(arguments.last(), "out-1.ico");
        QVERIFY(!arguments.contains("-resize"));
    }

    void summaryNamesEachFailureWithItsReason()
    {
        BatchSummary summary{13,
                             {{13, "/p/good.png", FileResult::Outcome::Converted, {}, false, {}}}};
        for (int i = 1; i <= 12; ++i)
            summary.results << FileResult{i,
                                          QStringLiteral("/p/bad%1.png").arg(i),
                                          FileResult::Outcome::Failed,
                                          {Failure::Reason::SizeNotAccepted, {}, {}},
                                          false,
                                          {}};
        QStringList expected{"Done.", "", "12 of 13 files could not be converted:"};
        for (int i = 1; i <= 10; ++i)
            expected << QStringLiteral("/p/bad%1.png (size not accepted)").arg(i);
        expected << "... and 2 more.";
        QCOMPARE(WindowTexts::summary(summary).split("\r\n"), expected);
        // The whole list waits behind the box's text.
        QCOMPARE(WindowTexts::failureDetails(summary).split("\r\n").size(), 12);
        QVERIFY(WindowTexts::failureDetails(summary).endsWith("/p/bad12.png (size not accepted)"));
        summary.results.removeLast();
        summary.results.removeLast();
        QCOMPARE(WindowTexts::failureDetails(summary), QString());
        QCOMPARE(WindowTexts::summary({3, {}}), QStringLiteral("Done."));
    }

    void childrenSeeOnlyPlainNamesInTheirOwnFolder()
    {
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        QStringList read;
        runner->act = [&](const FakeRunner::Start &s) {
            read << QFileInfo(s.input()).canonicalFilePath();
            return FakeRunner::WriteIcon(s.output(), Qt::red);
        };
        window.rows << path("[1] a.png") << path("b*.png");
        for (const QString &row : window.rows)
            QVERIFY(makePng(row, 8, 8));
        QCOMPARE(runBatch(window, runner, reporter), QStringLiteral("Done."));
        QCOMPARE(runner->starts.size(), 2);
        const QStringList arguments = runner->starts[0].arguments;
        // The picture's reader is named: neither its name nor its content chooses one.
        QCOMPARE(arguments.mid(0, 9),
                 QStringList({"-define", "registry:temporary-path=tmp-1", "-limit", "width",
                              "16000", "-limit", "height", "16000", "png:in-1[0]"}));
        QCOMPARE(arguments.mid(arguments.indexOf("-resize"), 2), QStringList({"-resize", "48x48"}));
        QCOMPARE(arguments.last(), "out-1.ico");
        QVERIFY(runner->starts[0].folder.startsWith(m_temp + "/quorbel-work-"));
        QCOMPARE(read, window.rows);
        QVERIFY(QFile::exists(path("out/[1] a.ico")));
        QVERIFY(QFile::exists(path("out/b*.ico")));
        // Nothing is left in the staging folder: no work folder, no converter.
        QCOMPARE(QDir(m_temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{});
    }

    void spoiledOutputNeverReplacesAnIcon_data()
    {
        QTest::addColumn<QByteArray>("output"); // what the child leaves, exit code 0
        QTest::newRow("garbage") << QByteArray("not an icon at all");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut off") << QByteArray("\0\0\1\0\1\0\20\20\0\0\1\0\40\0\0\1\0\0\26\0\0\0",
                                               22);
    }
    void spoiledOutputNeverReplacesAnIcon()
    {
        QFETCH(QByteArray, output);
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        runner->act = [&](const FakeRunner::Start &s) {
            writeFile(s.output(), output);
            return ChildEnd{ChildProcess::End::Exited, 0, {}};
        };
        writeFile(path("out/kept.ico"), "OLD ICON BYTES");
        QVERIFY(makePng(path("kept.png"), 8, 8));
        window.rows << path("kept.png");
        const QString message = runBatch(window, runner, reporter);
        QCOMPARE(readFile(path("out/kept.ico")), QByteArray("OLD ICON BYTES"));
        QVERIFY2(message.endsWith("kept.png (the converter made no valid icon)"),
                 qPrintable(message));
    }

    // The icon's place is checked again as the icon is written: a link planted or a
    // read-only mark made while the converter ran holds as if it had been there first.
    void destinationChecksHoldAtTheWrite_data()
    {
        QTest::addColumn<bool>("plantLink"); // else the icon is made read-only
        QTest::addColumn<QString>("reason");
        QTest::newRow("another's link planted")
            << true << "kept.ico is a link owned by another user in a shared folder; not followed";
        QTest::newRow("made read-only") << false << "kept.ico is read-only";
    }
    void destinationChecksHoldAtTheWrite()
    {
        QFETCH(bool, plantLink);
        QFETCH(QString, reason);
        const QByteArray shared = QFile::encodeName(path("out/shared"));
        const QByteArray icon = shared + "/kept.ico", victim = QFile::encodeName(path("victim"));
        QDir().mkpath(path("out/shared"));
        writeFile(path("victim"), "VICTIM");
        if (!plantLink)
            writeFile(path("out/shared/kept.ico"), "OLD ICON BYTES");
        if (::chmod(shared, 01777) != 0 || ::chown(shared, 4000, 4000) != 0)
            QSKIP("needs root to give a folder away");
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        bool changed = false;
        runner->act = [&](const FakeRunner::Start &s) {
            changed = plantLink ? ::symlink(victim, icon) == 0 && ::lchown(icon, 4001, 4001) == 0
                                : ::chmod(icon, 0444) == 0;
            return FakeRunner::WriteIcon(s.output(), Qt::red);
        };
        QVERIFY(makePng(path("kept.png"), 8, 8));
        window.rows << path("kept.png");
        window.folder = path("out/shared");
        const QString message = runBatch(window, runner, reporter);
        QVERIFY(changed);
        QCOMPARE(readFile(path("victim")), QByteArray("VICTIM"));
        if (!plantLink)
            QCOMPARE(readFile(path("out/shared/kept.ico")), QByteArray("OLD ICON BYTES"));
        QCOMPARE(QDir(path("out/shared")).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{"kept.ico"});
        QVERIFY2(message.endsWith("kept.png (" + reason + ")"), qPrintable(message));
    }

    void laterRowWinsUnderParallelRuns_data()
    {
        QTest::addColumn<QString>("third"); // rows: a/same.png, other.png, this, more.png
        QTest::addColumn<QStringList>("failures");
        QTest::newRow("two pictures of one name")
            << "b/same.png"
            << QStringList{"1 of 4 files could not be converted:",
                           "a/same.png (replaced by the icon of b/same.png)"};
        QTest::newRow("one path listed twice") << "a/same.png" << QStringList{};
    }
    void laterRowWinsUnderParallelRuns()
    {
        // Rows 1 and 3 give the same icon; row 1's child is much slower.
        QFETCH(QString, third);
        QFETCH(QStringList, failures);
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        runner->delayMs = [](const FakeRunner::Start &s) { return s.job == 1 ? 300 : 10; };
        runner->act = [](const FakeRunner::Start &s) {
            return FakeRunner::WriteIcon(s.output(), s.job == 1 ? Qt::red : Qt::blue);
        };
        QDir().mkpath(path("a"));
        QDir().mkpath(path("b"));
        for (const QString &name : QStringList{"a/same.png", "other.png", third, "more.png"}) {
            QVERIFY(makePng(path(name), 8, 8));
            window.rows << path(name);
        }
        // Another picture's row has no icon of its own, and the summary says so.
        failures.replaceInStrings("a/same.png", path("a/same.png"))
            .replaceInStrings("b/same.png", path("b/same.png"));
        QCOMPARE(runBatch(window, runner, reporter).split("\r\n").mid(2), failures);
        QCOMPARE(QImage(path("out/same.ico")).pixelColor(4, 4), QColor(Qt::blue));
        QCOMPARE(runner->starts.size(), 4);
        QVERIFY(runner->mostRunning >= 2);
    }

    // Children end while earlier icons are still being written out; closing meanwhile
    // leaves each icon old or new and whole, and no hidden file beside them.
    void closingWhileIconsAreWrittenKeepsEachWhole_data()
    {
        QTest::addColumn<int>("closeAfterMs");
        QTest::newRow("at once") << 0;
        QTest::newRow("mid-batch") << 15;
    }
    void closingWhileIconsAreWrittenKeepsEachWhole()
    {
        QFETCH(int, closeAfterMs);
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        runner->delayMs = [](const FakeRunner::Start &) { return 0; };
        QDir().mkpath(path("out"));
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("p%1").arg(i);
            QVERIFY(makePng(path(name + ".png"), 8, 8));
            window.rows << path(name + ".png");
            writeFile(path("out/" + name + ".ico"), "OLD");
        }
        QObject thisTest; // a close still pending when the batch ends goes with the test
        QTimer::singleShot(closeAfterMs, &thisTest, [this] { m_batch->abortForShutDown(); });
        runBatch(window, runner, reporter);
        const QStringList left =
            QDir(path("out")).entryList(QDir::Files | QDir::Hidden | QDir::System);
        QCOMPARE(left.size(), 40);
        for (const QString &name : left) {
            const QByteArray bytes = readFile(path("out/" + name));
            QVERIFY2(bytes == "OLD" || isWellFormedIcon(bytes), qPrintable(name));
        }
    }

    // Stopped with children running: they end, nothing starts after, every icon is old
    // or new and whole, nothing stays behind, and the summary counts what was done.
    void stopEndsTheBatch()
    {
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        // The first three convert; the next three never end.
        runner->delayMs = [](const FakeRunner::Start &s) { return s.job <= 3 ? 0 : 3600 * 1000; };
        for (int i = 1; i <= 16; ++i) {
            const QString name = QStringLiteral("p%1").arg(i);
            QVERIFY(makePng(path(name + ".png"), 8, 8));
            window.rows << path(name + ".png");
            writeFile(path("out/" + name + ".ico"), "OLD");
        }
        QObject thisTest;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &thisTest, [&] {
            if (runner->starts.size() == 6 && runner->running == 3) {
                m_batch->stop();
                m_batch->stop(); // a second time changes nothing
            }
        });
        watch.start(5);
        const QStringList message = runBatch(window, runner, reporter).split("\r\n");
        QCOMPARE(message.mid(0, 3),
                 (QStringList{"Stopped.", "",
                              "3 of 16 files were converted before the stop. Not converted:"}));
        QCOMPARE(message.value(3), path("p4.png") + " (stopped before it was converted)");
        QCOMPARE(message.last(), QStringLiteral("... and 3 more."));
        QCOMPARE(window.details.value(0).split("\r\n").size(), 13);
        QCOMPARE(runner->starts.size(), 6);
        QCOMPARE(runner->stops, 1);
        for (int i = 1; i <= 16; ++i) {
            const QByteArray icon = readFile(path(QStringLiteral("out/p%1.ico").arg(i)));
            QVERIFY2(i <= 3 ? isWellFormedIcon(icon) : icon == "OLD",
                     qPrintable(QString::number(i)));
        }
        QCOMPARE(QDir(path("out")).entryList(QDir::Files | QDir::Hidden).size(), 16);
        QCOMPARE(QDir(m_temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{});
        QCOMPARE(window.text, QStringLiteral("Progress Bar"));
        QCOMPARE(window.pointers.last(), 0);
        QVERIFY(!m_batch->isConverting());
        m_batch->stop(); // nothing runs: nothing happens
        QCOMPARE(window.messages.size(), 1);
    }

    void displayAdvancesAsFilesStart()
    {
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        for (const char *name : {"a.png", "b.png", "c.png", "d.png"}) {
            QVERIFY(makePng(path(name), 8, 8));
            window.rows << path(name);
        }
        QCOMPARE(runBatch(window, runner, reporter), QStringLiteral("Done."));
        QCOMPARE(window.values, (QList<double>{25, 50, 75, 100, 0}));
        QVERIFY(window.texts.contains("Processing: d.png"));
        QCOMPARE(window.offers.value(0).note, "4 icons written in " + path("out") + ".");
        QCOMPARE(window.offers.value(0).folder, path("out"));
        QCOMPARE(window.statuses, (QStringList{"1 of 4 · Esc stops", "2 of 4 · Esc stops",
                                               "3 of 4 · Esc stops", "4 of 4 · Esc stops", ""}));
        QCOMPARE(window.text, QStringLiteral("Progress Bar"));
        QCOMPARE(window.pointers.first(), 11);
        QCOMPARE(window.pointers.last(), 0);
    }

    void oddSourcesFailAtOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("FIFO") << "pipe.png"
                              << "not a regular file";
        QTest::newRow("folder") << "folder.png"
                                << "not a regular file";
        QTest::newRow("missing") << "gone.png"
                                 << "file not found";
        QTest::newRow("its own icon") << "self.ico"
                                      << "same file as its source";
    }
    void oddSourcesFailAtOnce()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QVERIFY(mkfifo(QFile::encodeName(path("pipe.png")).constData(), 0600) == 0 ||
                errno == EEXIST);
        QDir().mkpath(path("folder.png"));
        writeFile(path("self.ico"), "SOURCE");
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        window.rows << path(name);
        window.selectedDestination = 9;
        const QString message = runBatch(window, runner, reporter);
        QVERIFY(runner->starts.isEmpty());
        QVERIFY2(message.endsWith(path(name) + " (" + reason + ")"), qPrintable(message));
        QCOMPARE(readFile(path("self.ico")), QByteArray("SOURCE"));
    }

    void stagingProblemIsReportedOnce()
    {
        // A staged converter others may change: one report, every file fails with a reason.
        writeScript(m_temp + "/emfconvert.exe", "exit 0");
        chmod(QFile::encodeName(m_temp + "/emfconvert.exe").constData(), 0777);
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        for (const char *name : {"a.png", "b.png", "c.png"})
            window.rows << path(name);
        writeFile(path("out/a.ico"), "OLD");
        const QString message = runBatch(window, runner, reporter);
        QCOMPARE(reporter.reports.size(), 1);
        QVERIFY(reporter.reports.first().contains("PushButton2_Click at line 112"));
        QVERIFY(runner->starts.isEmpty());
        QVERIFY2(message.contains("3 of 3 files could not be converted:\r\n" + path("a.png") +
                                  " (the converter could not be started)"),
                 qPrintable(message));
        QCOMPARE(readFile(path("out/a.ico")), QByteArray("OLD"));
    }

    void someoneElsesConverterIsNeitherRunNorDeleted()
    {
        // As in a shared sticky TEMP where another user staged first.
        writeScript(m_temp + "/emfconvert.exe", "exit 0");
        if (::chown(QFile::encodeName(m_temp + "/emfconvert.exe").constData(), 65534, 65534) != 0)
            QSKIP("needs to give a file to another user");
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        QVERIFY(makePng(path("a.png"), 8, 8));
        window.rows << path("a.png");
        runBatch(window, runner, reporter);
        QCOMPARE(reporter.reports.size(), 1);
        QVERIFY(runner->starts.isEmpty());
        QVERIFY(QFile::exists(m_temp + "/emfconvert.exe")); // ours, but not ours to run
    }

    void converterRemovedMidBatchIsStagedAgain()
    {
        // As when another instance's batch ends and cleans up under this one.
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        bool removed = false;
        runner->act = [&](const FakeRunner::Start &s) {
            if (!removed) {
                removed = QFile::remove(s.program) && QFile::remove(m_temp + "/emfconvert.exe");
                return ChildEnd{ChildProcess::End::FailedToStart, 53, {}};
            }
            return FakeRunner::WriteIcon(s.output(), Qt::red);
        };
        QVERIFY(makePng(path("a.png"), 8, 8));
        window.rows << path("a.png");
        QCOMPARE(runBatch(window, runner, reporter), QStringLiteral("Done."));
        QVERIFY(removed);
        QCOMPARE(runner->starts.size(), 2);
        QVERIFY(QFile::exists(path("out/a.ico")));
    }

    void converterReasonsAreShort_data()
    {
        QTest::addColumn<QByteArray>("errors");
        QTest::addColumn<QString>("reason");
        QTest::newRow("never ends")
            << QByteArray("HANGS") << "the converter took too long and was stopped";
        QTest::newRow("not a picture")
            << QByteArray("convert-im6.q16: improper image header `in-1.png' @ "
                          "error/png.c/ReadPNGImage/4115.\nconvert-im6.q16: no images defined")
            << "not a picture that can be read";
        QTest::newRow("too large") << QByteArray("convert-im6.q16: width or height exceeds limit "
                                                 "`out-1.ico' @ error/icon.c/WriteICONImage/939.")
                                   << "size not accepted";
        QTest::newRow("bad size") << QByteArray("convert-im6.q16: invalid argument for option "
                                                "`-resize': abc @ error/convert.c/Convert/2568.")
                                  << "size not accepted";
        QTest::newRow("other") << QByteArray("convert-im6.q16: memory allocation failed @ x.c")
                               << "ImageMagick: memory allocation failed";
        QTest::newRow("drawing out of memory")
            << QByteArray("No Memory\nconvert-im6.q16: unable to open image `tmp-1/magick-x': "
                          "No such file or directory @ error/blob.c/OpenBlob/3014.")
            << "picture too large";
        QTest::newRow("truncated or a bomb")
            << QByteArray("convert-im6.q16: no images defined `out-1.ico' @ "
                          "error/convert.c/ConvertImageCommand/3229.")
            << "not a picture that can be read";
        QTest::newRow("truncated: nothing to make entries of")
            << QByteArray("convert-im6.q16: image sequence is required `-clone' @ "
                          "error/convert.c/ConvertImageCommand/953.")
            << "not a picture that can be read";
        QTest::newRow("beyond the converter's limits")
            << QByteArray("convert-im6.q16: cache resources exhausted `in-1' @ "
                          "error/cache.c/OpenPixelCache/4246.")
            << "picture too large";
        QTest::newRow("full staging disk")
            << QByteArray("convert-im6.q16: unable to write file `out-2.ico' @ "
                          "error/constitute.c/WriteImage/1250.")
            << "no space left for the converter's files in TEMP";
        QTest::newRow("names no work file")
            << QByteArray("convert-im6.q16: unknown thing `out-3.ico' @ x.c")
            << "ImageMagick: unknown thing";
    }
    // The converter's files have no room, whichever program says so.
    void noSpaceIsRecognised_data()
    {
        QTest::addColumn<QByteArray>("errors");
        QTest::newRow("ImageMagick's own") << QByteArray(
            "convert-im6.q16: No space left on device `out-1.ico' @ error/blob.c/WriteBlob/1025.");
        QTest::newRow("the SVG drawer's") << QByteArray(
            "rsvg-convert: Error writing output: No space left on device\n"
            "convert-im6.q16: delegate failed `\"rsvg-convert\" -w 48 -h 48 -a -b none -o "
            "\"tmp-1/magick-x.png\" \"in-1.svg\"' @ error/delegate.c/InvokeDelegate/1911.");
        QTest::newRow("the SVG drawer's, after ImageMagick's") << QByteArray(
            "convert-im6.q16: delegate failed `in-1.svg' @ error/delegate.c/InvokeDelegate/1911.\n"
            "Error writing output: No space left on device");
    }
    void noSpaceIsRecognised()
    {
        QFETCH(QByteArray, errors);
        const Failure failure = FailureReason::fromConverterOutput(errors, "/tmp/staging");
        QCOMPARE(failure.reason, Failure::Reason::NoSpaceForConverter);
        QCOMPARE(failure.detail, "/tmp/staging");
    }

    void converterReasonsAreShort()
    {
        QFETCH(QByteArray, errors);
        QFETCH(QString, reason);
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        runner->act = [&](const FakeRunner::Start &) {
            return ChildEnd{ChildProcess::End::Exited, 1, errors};
        };
        if (errors == "HANGS")
            runner->delayMs = [](const FakeRunner::Start &) { return 3600 * 1000; };
        QVERIFY(makePng(path("a.png"), 8, 8));
        window.rows << path("a.png");
        // Limits follow the picture: each conversion gets its own.
        QList<ConversionWork> limited;
        const QString message = runBatch(window, runner, reporter, [&](const ConversionWork &work) {
            limited << work;
            return std::chrono::milliseconds(300);
        });
        reason.replace("TEMP", m_temp);
        QVERIFY2(message.endsWith(" (" + reason + ")"), qPrintable(message));
        QCOMPARE(limited.size(), 1);
        QCOMPARE(limited.first().pixels, 64);
        QCOMPARE(runner->stopped, errors == "HANGS" ? QList<int>{1} : QList<int>{});
    }

    void staleWorkFolderOfAGoneProgramIsRemoved()
    {
        QDir().mkpath(m_temp + "/quorbel-work-AbCdEf");
        writeFile(m_temp + "/quorbel-work-AbCdEf/in-1.png", "left behind");
        QDir().mkpath(m_temp + "/quorbel-work-keep");
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        QVERIFY(makePng(path("a.png"), 8, 8));
        window.rows << path("a.png");
        // A live batch's folder is locked; this one stands for another running instance.
        const int lock = ::open(QFile::encodeName(m_temp + "/quorbel-work-keep").constData(),
                                O_RDONLY | O_DIRECTORY);
        QVERIFY(lock >= 0 && flock(lock, LOCK_EX) == 0);
        runBatch(window, runner, reporter);
        ::close(lock);
        QVERIFY(!QFile::exists(m_temp + "/quorbel-work-AbCdEf"));
        QVERIFY(QFile::exists(m_temp + "/quorbel-work-keep"));
    }
};

QTEST_GUILESS_MAIN(TestConversionBatch)
#include "tst_conversionbatch.moc"
