// The converter runner and the batch: display texts, arguments as the child sees
// them, failed starts, crashes, and the batch's messages and safety nets.
#include "TestSupport.h"
#include "convert/ConversionBatch.h"
#include "convert/ConverterTool.h"
#include "convert/RunAndWait.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <unistd.h>

namespace {
class FakeWindow final : public BatchWindow
{
public:
    QStringList rows;
    int selectedSize = 4;        // 0: none, 1..7
    int selectedDestination = 8; // 0: none, 8 or 9
    QString folder;
    QString sizeText = QStringLiteral("32");
    QStringList messages;
    QStringList texts;
    QList<double> values;
    QList<int> pointers;
    QString text = QStringLiteral("Progress Bar");
    int value = 0;
    std::function<void()> onMessage;

    int numberOfRows() const override { return int(rows.size()); }
    QString rowText(int row) const override { return rows.at(row - 1); }
    bool isOptionSelected(int n) const override
    {
        return n == selectedSize || n == selectedDestination;
    }
    QString text1() const override { return folder; }
    QString text2() const override { return sizeText; }
    void setPointer(int code) override { pointers << code; }
    void showMessage(const QString &m) override
    {
        messages << m;
        if (onMessage)
            onMessage();
    }
    void letEventsRun() override { QCoreApplication::processEvents(); }
    QString progressText() const override { return text; }
    void setProgressText(const QString &t) override
    {
        text = t;
        texts << t;
    }
    int progressValue() const override { return value; }
    void setProgressValue(double v) override
    {
        values << v;
        value = qBound(0, RoundHalfEven(v), 100);
    }
};

QSize iconSize(const QString &path)
{
    QImageReader reader(path, "ico");
    return reader.size();
}
} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_temp;
    QString m_tool;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A stand-in converter that writes its arguments to args.txt, then runs `body`.
    void stageScript(const QByteArray &body)
    {
        WriteScript(m_tool, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" +
                                QFile::encodeName(path(QStringLiteral("args.txt"))) + "'\n" + body);
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_temp = m_dir.filePath(QStringLiteral("temp"));
        QDir().mkpath(m_temp);
        qputenv("TEMP", QFile::encodeName(m_temp));
        m_tool = m_temp + QStringLiteral("/emfconvert.exe");
        QFile::remove(path(QStringLiteral("args.txt")));
        QFile::remove(m_tool);
    }

    void toolPathFollowsTemp()
    {
        QCOMPARE(ConverterToolPath(), m_temp + QStringLiteral("/emfconvert.exe"));
        QVERIFY(LoadConverterImage().startsWith("\x7f"
                                                "ELF"));
    }

    void privateStagingFolder()
    {
        // Without TEMP the converter is staged in a folder of ours alone.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("TEMP");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("runtime")));
        QCOMPARE(ConverterToolPath(), path("runtime") + "/emfconvert.exe");
        qunsetenv("XDG_RUNTIME_DIR");
        const QString folder = QDir::tempPath() + "/quorbel-" + QString::number(getuid());
        QCOMPARE(ConverterToolPath(), folder + "/emfconvert.exe");
        QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFile::Permissions());
        QFile(folder).setPermissions(QFile(folder).permissions() | QFile::WriteOther);
        QVERIFY_THROWS_EXCEPTION(AppError, ConverterToolPath()); // no longer private
        QFile(folder).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!runtime.isEmpty())
            qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TEMP", QFile::encodeName(m_temp));
    }

    void waitingText_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("polls");
        QTest::addColumn<QString>("text");
        QTest::newRow("first") << "Processing: a.png" << 50 << "Processing: a.png, Please wait.. 0";
        QTest::newRow("later") << "Processing: a.png" << 61
                               << "Processing: a.png, Please wait.. 11";
        QTest::newRow("no caption") << "" << 52 << "Please wait.. 2";
    }
    void waitingText()
    {
        QFETCH(QString, caption);
        QFETCH(int, polls);
        QFETCH(QString, text);
        QCOMPARE(WaitingText(caption, polls), text);
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
        const auto v = CreepValue(polls, rows, start);
        if (value < 0)
            QVERIFY(!v);
        else
            QCOMPARE(v.value_or(-2), value);
    }

    void childSeesExactArguments()
    {
        stageScript("exit 7");
        const QStringList arguments{QString::fromUtf8("/in put/\"q\" -x/bülte ñ.png"), "-resize",
                                    "32", "-leading dash.ico"};
        FakeWindow display;
        RunOutcome outcome;
        const int code =
            RunAndWait({QString(), m_tool, arguments}, 0, &display, "cap", 0, 1, &outcome);
        QCOMPARE(code, 7);
        QCOMPARE(outcome.end, ChildProcess::End::Exited);
        QCOMPARE(QString::fromUtf8(ReadFile(path("args.txt"))), arguments.join('\n') + '\n');
        QCOMPARE(display.text, QStringLiteral("cap"));
    }

    void failedStartsLeaveTheDisplayAlone_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("number");
        QTest::newRow("missing") << 0 << 53;
        QTest::newRow("group writable") << 1 << 70;
        QTest::newRow("a link") << 2 << 70;
    }
    void failedStartsLeaveTheDisplayAlone()
    {
        QFETCH(int, kind);
        QFETCH(int, number);
        QFile::remove(m_tool);
        const QString marker = path("ran");
        if (kind == 1) {
            stageScript("touch '" + QFile::encodeName(marker) + "'");
            QFile(m_tool).setPermissions(QFile(m_tool).permissions() | QFile::WriteGroup);
        } else if (kind == 2) {
            WriteScript(path("real.sh"), "touch '" + QFile::encodeName(marker) + "'");
            QVERIFY(QFile::link(path("real.sh"), m_tool));
        }
        FakeWindow display;
        const int code = RunAndWait({QString(), m_tool, {}}, 0, &display, "cap", 0, 1);
        QCOMPARE(code, number + ObjectErrorBase);
        QVERIFY(display.texts.isEmpty());
        QVERIFY(!QFile::exists(marker));
    }

    void crashIsReported()
    {
        stageScript("kill -SEGV $$");
        RunOutcome outcome;
        RunAndWait({QString(), m_tool, {}}, std::nullopt, nullptr, QString(), 0, 1, &outcome);
        QCOMPARE(outcome.end, ChildProcess::End::Crashed);
    }

    void longChildShowsWaitingTextAndKeepsEventsFlowing()
    {
        stageScript("sleep 5.6");
        FakeWindow display;
        int ticks = 0;
        QTimer other;
        QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
        other.start(20);
        RunAndWait({QString(), m_tool, {}}, 0, &display, QString(), 0, 1);
        QVERIFY2(display.texts.contains(QStringLiteral("Please wait.. 0")),
                 qPrintable(display.texts.join('|')));
        QCOMPARE(display.texts.last(), QStringLiteral("Progress Bar"));
        QVERIFY2(ticks > 150, qPrintable(QString::number(ticks)));
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
        QCOMPARE(ConversionBatch::OutputPathFor(source, destination == 8, destination == 9, folder,
                                                "previous"),
                 output);
    }

    void commandLineText()
    {
        QCOMPARE(ConversionBatch::CommandLineFor("\"/t/emfconvert.exe\"", "/a b.png", " -resize 32",
                                                 "/o/a b.ico"),
                 QStringLiteral("\"/t/emfconvert.exe\" \"/a b.png\" -resize 32 \"/o/a b.ico\""));
        QCOMPARE(ConversionBatch::CommandLineFor("\"T\"", "s", " -resize ", "o"),
                 QStringLiteral("\"T\" \"s\" -resize  \"o\""));
        QCOMPARE(ConversionBatch::CommandLineFor("\"T\"", "s", "", "o"),
                 QStringLiteral("\"T\" \"s\" \"o\""));
    }

    void checksComeFirst_data()
    {
        QTest::addColumn<bool>("rows");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list, missing folder") << false << 8 << "/no/such"
                                                    << "No files added.";
        QTest::newRow("missing folder") << true << 8 << "/no/such"
                                        << "Folder does not exist. Please select another folder.";
        QTest::newRow("empty folder text")
            << true << 8 << ""
            << "Folder does not exist. Please select another folder.";
    }
    void checksComeFirst()
    {
        QFETCH(bool, rows);
        QFETCH(int, destination);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        FakeWindow window;
        FakeReporter reporter;
        if (rows)
            window.rows << path("a.png");
        window.selectedDestination = destination;
        window.folder = folder;
        ConversionBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(window.messages, QStringList{message});
        QVERIFY(!batch.isConverting());
        QVERIFY(!QFile::exists(m_tool));
        QVERIFY(window.pointers.isEmpty());
    }

    void convertsWithImageMagick()
    {
        const QString out = path("out");
        QDir().mkpath(out);
        FakeWindow window;
        FakeReporter reporter;
        const QStringList names{"one.png", "two words.png", "50%off.png", "x%03d.png"};
        for (const QString &name : names) {
            QVERIFY(MakePng(path(name), 512, 512));
            window.rows << path(name);
        }
        window.folder = out;
        window.selectedSize = 4; // 48
        ConversionBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(window.messages, QStringList{"Done."});
        QVERIFY(reporter.reports.isEmpty());
        for (const QString &name : names) {
            const QString icon = out + '/' + QString(name).replace(".png", ".ico");
            QCOMPARE(iconSize(icon), QSize(48, 48));
        }
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), names.size());
        QCOMPARE(window.values, (QList<double>{25, 50, 75, 100, 0}));
        QCOMPARE(window.text, QStringLiteral("Progress Bar"));
        QCOMPARE(window.pointers.first(), 11);
        QCOMPARE(window.pointers.last(), 0);
        QVERIFY(!QFile::exists(m_tool)); // staged for the batch, removed after it
        QVERIFY(!batch.isConverting());
    }

    void userDefinedSizeBesideSource()
    {
        FakeWindow window;
        FakeReporter reporter;
        QVERIFY(MakePng(path("big.png"), 300, 200));
        window.rows << path("big.png");
        window.selectedSize = 7;
        window.sizeText = "100";
        window.selectedDestination = 9;
        window.folder = "/no/such/folder"; // no obstacle beside the source
        ConversionBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(window.messages, QStringList{"Done."});
        QCOMPARE(iconSize(path("big.ico")), QSize(100, 67));
    }

    void failuresAreSummarised()
    {
        // The stand-in fails for names holding "bad", writes an icon otherwise.
        stageScript(
            "eval out=\\${$#}\ncase \"$1\" in *bad*) exit 1;; esac\nprintf icon > \"$out\"");
        FakeWindow window;
        FakeReporter reporter;
        window.rows << path("good.png");
        for (int i = 1; i <= 12; ++i)
            window.rows << path(QStringLiteral("bad%1.png").arg(i));
        window.folder = path("");
        ConversionBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(window.messages.size(), 1);
        QStringList expected{"Done.", "", "12 of 13 files could not be converted:"};
        for (int i = 1; i <= 10; ++i)
            expected << path(QStringLiteral("bad%1.png").arg(i));
        expected << "... and 2 more.";
        QCOMPARE(window.messages.first().split("\r\n"), expected);
        QCOMPARE(ReadFile(path("good.ico")), QByteArray("icon"));
    }

    void failedChildNeverCostsAnIcon_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("corrupt output, exit 1")
            << QByteArray("eval out=\\${$#}\nprintf junk > \"$out\"\nexit 1");
        QTest::newRow("empty output, exit 0") << QByteArray("eval out=\\${$#}\n: > \"$out\"");
        QTest::newRow("crash mid-write")
            << QByteArray("eval out=\\${$#}\nprintf ju > \"$out\"\nkill -SEGV $$");
    }
    void failedChildNeverCostsAnIcon()
    {
        QFETCH(QByteArray, body);
        stageScript(body);
        const QString out = path("o");
        QDir().mkpath(out);
        WriteFile(out + "/kept.ico", "OLD ICON BYTES");
        FakeWindow window;
        FakeReporter reporter;
        window.rows << path("kept.png") << path("new.png");
        window.folder = out;
        ConversionBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(ReadFile(out + "/kept.ico"), QByteArray("OLD ICON BYTES"));
        QVERIFY(!QFile::exists(out + "/new.ico")); // what the failed child left is gone
        QVERIFY(window.messages.first().contains("2 of 2 files could not be converted:"));
        QCOMPARE(QDir(m_temp).entryList(QDir::Files | QDir::Hidden),
                 QStringList{}); // no backups left
    }

    void iconBehindALinkIsKept()
    {
        stageScript("eval out=\\${$#}\nprintf junk > \"$out\"\nexit 1");
        WriteFile(path("real/keep.ico"), "LINKED ICON");
        QDir().mkpath(path("o"));
        QVERIFY(QFile::link(path("real/keep.ico"), path("o/keep.ico")));
        FakeWindow window;
        FakeReporter reporter;
        window.rows << path("keep.png");
        window.folder = path("o");
        ConversionBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(ReadFile(path("real/keep.ico")), QByteArray("LINKED ICON"));
        QVERIFY(QFileInfo(path("o/keep.ico")).isSymLink());
    }

    void sourceIsNeverItsOwnOutput()
    {
        stageScript("touch '" + QFile::encodeName(path("ran")) + "'");
        WriteFile(path("self.ico"), "SOURCE");
        FakeWindow window;
        FakeReporter reporter;
        window.rows << path("self.ico");
        window.selectedDestination = 9;
        ConversionBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(ReadFile(path("self.ico")), QByteArray("SOURCE"));
        QVERIFY(!QFile::exists(path("ran")));
        QVERIFY(window.messages.first().contains("1 of 1 files could not be converted:"));
    }

    void secondStartDuringBatchIsIgnored()
    {
        stageScript("sleep 0.3\neval out=\\${$#}\nprintf i > \"$out\"");
        FakeWindow window;
        FakeReporter reporter;
        window.rows << path("a.png") << path("b.png");
        window.folder = path("");
        ConversionBatch batch(window, reporter);
        bool sawConverting = false;
        QTimer::singleShot(100, [&] {
            sawConverting = batch.isConverting();
            batch.PushButton2_Click();
        });
        batch.PushButton2_Click();
        QVERIFY(sawConverting);
        QCOMPARE(window.messages, QStringList{"Done."});
        QCOMPARE(ReadFile(path("args.txt")).count('\n'), 2 * 4); // two runs of four arguments
    }

    void noSizeChosenGivesNoResize()
    {
        stageScript("eval out=\\${$#}\nprintf i > \"$out\"");
        FakeWindow window;
        FakeReporter reporter;
        window.rows << path("a.png");
        window.folder = path("");
        window.selectedSize = 0;
        ConversionBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(QString::fromUtf8(ReadFile(path("args.txt"))),
                 path("a.png") + '\n' + path("a.ico") + '\n');
    }

    void unwritableStagingIsReportedAndCounted()
    {
        qputenv("TEMP", "/no/such/staging");
        FakeWindow window;
        FakeReporter reporter;
        window.rows << path("a.png");
        window.folder = path("");
        ConversionBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(reporter.reports.size(), 1);
        QVERIFY(reporter.reports.first().contains("Form1.PushButton2_Click at line 112"));
        QVERIFY(window.messages.last().contains("1 of 1 files could not be converted:"));
        QVERIFY(!batch.isConverting());
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
