// `quorbel --convert` run as a script runs it: the real program as a child with no
// display at all and its own settings and staging folders. Also the no-display line
// and the window started with paths.
#include "TestSupport.h"
#include "app/Form1.h"
#include "app/StartPaths.h"
#include "cli/DisplayCheck.h"
#include "filelist/FileListModel.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString Identify = QStringLiteral("/usr/bin/identify-im6.q16");

struct Run
{
    QProcess::ExitStatus how = QProcess::CrashExit;
    int status = -1;
    QString out;
    QString err;
};
} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    QString storeFile() const { return path("config/Vandrell/Quorbel.conf"); }

    // Only what a bare server session has: no DISPLAY, no WAYLAND_DISPLAY.
    void start(QProcess &process, const QStringList &arguments, const QStringList &environment = {},
               const QStringList &wrapper = {})
    {
        QProcessEnvironment env;
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("HOME", path("home"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("TEMP", path("temp"));
        for (const QString &pair : environment)
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_dir->path());
        const QString program = qEnvironmentVariable("QUORBEL_APP_DIR") + "/quorbel";
        if (wrapper.isEmpty())
            process.start(program, arguments);
        else
            process.start(wrapper.first(), wrapper.mid(1) + QStringList{program} + arguments);
    }

    // A picture made to hang the program or exhaust the machine fails the run within a
    // minute and a few gigabytes instead; files are refused as to any user.
    Run bounded(const QStringList &arguments)
    {
        QStringList wrapper;
#ifndef __SANITIZE_ADDRESS__ // its shadow memory alone takes more address space
        wrapper << "prlimit"
                << "--as=" + QString::number(3LL << 30) << "--";
#endif
        if (geteuid() == 0)
            wrapper << "setpriv"
                    << "--bounding-set"
                    << "-dac_override,-dac_read_search"
                    << "--";
        QProcess process;
        start(process, arguments, {}, wrapper);
        Run run;
        if (!process.waitForFinished(60000))
            return run;
        run.how = process.exitStatus();
        run.status = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        return run;
    }

    Run quorbel(const QStringList &arguments, const QStringList &environment = {})
    {
        QProcess process;
        start(process, arguments, environment);
        Run run;
        if (!process.waitForFinished(120000))
            return run;
        run.how = process.exitStatus();
        run.status = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    // Every entry of an icon as "WxH"; empty when it is no icon.
    static QStringList iconEntries(const QString &file)
    {
        QProcess identify;
        identify.start(Identify, {"-format", "%m %wx%h\n", file});
        identify.waitForFinished();
        QStringList entries;
        for (const QString &line : QString::fromLatin1(identify.readAllStandardOutput())
                                       .split('\n', Qt::SkipEmptyParts)) {
            if (!line.startsWith("ICO "))
                return {};
            entries << line.mid(4);
        }
        return entries;
    }

    QStringList icons(const QString &folder) const
    {
        return QDir(path(folder)).entryList({"*.ico"}, QDir::Files, QDir::Name);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(path("temp"));
        QDir().mkpath(path("out"));
        QDir().mkpath(path("empty"));
        QVERIFY(makePng(path("src/a.png"), 200, 200));
        QVERIFY(makePng(path("src/sub/b.PNG"), 64, 64));
        QVERIFY(makePng(path("src/~t.png"), 64, 64));
        QVERIFY(QImage(path("src/a.png")).save(path("src/c.jpg"), "JPG"));
        writeFile(path("src/bad.png"), "not a picture");
        writeFile(path("ctl/\x1b[2J\x1b]0;x\x07.png"), "not a picture");
        for (int i = 1; i <= 12; ++i)
            writeFile(path(QStringLiteral("many/bad%1.png").arg(i)), "not a picture");
    }

    void convertsAtTheSize_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("button 16") << "16" << QStringList{"16x16"};
        QTest::newRow("button 72") << "72" << QStringList{"72x72"};
        QTest::newRow("user-defined") << "100" << QStringList{"100x100"};
        QTest::newRow("user-defined box") << "128x64" << QStringList{"64x64"};
    }
    void convertsAtTheSize()
    {
        QFETCH(QString, size);
        const Run run = quorbel({"--convert", "--size", size, "--to", "out", "src/a.png"});
        QCOMPARE(run.err, QString());
        QVERIFY2(run.out.contains(QStringLiteral("\nDone.\n")), qPrintable(run.out));
        QCOMPARE(run.status, 0);
        QTEST(iconEntries(path("out/a.ico")), "entries");
    }

    // Relative paths mean the current folder's, never the root's.
    void destinations_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("icon");
        QTest::newRow("to") << QStringList{"--to", "out"} << "out/a.ico";
        QTest::newRow("to, trailing separator") << QStringList{"--to=out/"} << "out/a.ico";
        QTest::newRow("beside") << QStringList{"--beside"} << "src/a.ico";
    }
    void destinations()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, icon);
        const Run run = quorbel(QStringList{"--convert", "--size", "32"} + arguments +
                                QStringList{"src/a.png"});
        QCOMPARE(run.status, 0);
        QCOMPARE(iconEntries(path(icon)), QStringList{"32x32"});
    }

    // Where the icons go is said before the run starts, and what it wrote at its end.
    void saysWhereIconsGo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("out"); // %1: the test's folder
        QTest::newRow("to") << QStringList{"--to", "out/"} << ""
                            << "Saving icons in %1/out\nDone.\n"
                               "Wrote 2 icons; none replaced an existing icon.\n";
        QTest::newRow("beside") << QStringList{"--beside"} << ""
                                << "Saving each icon beside its picture\nDone.\n"
                                   "Wrote 2 icons; 1 replaced an existing icon.\n";
        QTest::newRow("saved folder")
            << QStringList{} << "Option8=True\nText1=%1/out\n"
            << "Saving icons in %1/out (the window's saved folder)\nDone.\n"
               "Wrote 2 icons; none replaced an existing icon.\n";
        QTest::newRow("saved: beside")
            << QStringList{} << "Option8=False\nOption9=True\n"
            << "Saving each icon beside its picture (the window's saved choice)\nDone.\n"
               "Wrote 2 icons; 1 replaced an existing icon.\n";
    }
    void saysWhereIconsGo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, store);
        QFETCH(QString, out);
        writeFile(storeFile(),
                  "[General]\n" + QString(store).replace("%1", m_dir->path()).toUtf8());
        writeFile(path("src/a.ico"), "an unrelated icon");
        const Run run = quorbel(QStringList{"--convert", "--size", "16"} + arguments +
                                QStringList{"src/a.png", "src/sub/b.PNG"});
        QCOMPARE(run.out, QString(out).replace("%1", m_dir->path()));
        QCOMPARE(run.status, 0);
    }

    void foldersByExtension_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("status");
        QTest::newRow("default png") << QStringList{} << QStringList{"a.ico", "b.ico"} << 1;
        QTest::newRow("jpg") << QStringList{"--ext", "jpg"} << QStringList{"c.ico"} << 0;
        // "*" takes bad.png too, which fails.
        QTest::newRow("every file")
            << QStringList{"--ext", "*"} << QStringList{"a.ico", "b.ico", "c.ico"} << 1;
    }
    void foldersByExtension()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const Run run = quorbel(QStringList{"--convert", "--size", "16", "--to", "out"} +
                                arguments + QStringList{"src/"});
        QCOMPARE(run.status, status);
        QTEST(icons("out"), "expected");
        if (status == 1)
            QVERIFY2(run.out.contains(path("src/bad.png")), qPrintable(run.out));
    }

    void savedOptionsAreDefaults_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("entry");
        QTest::newRow("64 beside") << "Icon Size=5\nOption8=False\nOption9=True\n"
                                   << "src/a.ico"
                                   << "64x64";
        QTest::newRow("user-defined into Text1")
            << "Icon Size=7\nText2=40\nOption8=True\nOption9=False\nText1=%1\n"
            << "out/a.ico"
            << "40x40";
        QTest::newRow("first run: 24 on the desktop") << ""
                                                      << "home/Desktop/a.ico"
                                                      << "24x24";
    }
    void savedOptionsAreDefaults()
    {
        QFETCH(QString, store);
        const QByteArray before = QString(store).replace("%1", path("out/")).toUtf8();
        if (!store.isEmpty())
            writeFile(storeFile(), "[General]\n" + before);
        QDir().mkpath(path("home/Desktop"));
        const Run run = quorbel({"--convert", "src/a.png"});
        QCOMPARE(run.status, 0);
        QFETCH(QString, icon);
        QFETCH(QString, entry);
        QCOMPARE(iconEntries(path(icon)), QStringList{entry});
        // Read, never written: not even created.
        if (store.isEmpty())
            QVERIFY(!QFile::exists(storeFile()));
        else
            QCOMPARE(readFile(storeFile()), "[General]\n" + before);
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QStringList to{"--convert", "--to", "out"};
        QTest::newRow("all converted") << to + QStringList{"src/a.png"} << 0 << "Done."
                                       << "";
        QTest::newRow("a broken picture") << to + QStringList{"src/a.png", "src/bad.png"} << 1
                                          << "1 of 2 files could not be converted"
                                          << "src/bad.png: not a picture that can be read\n";
        // The summary names ten; standard error every one.
        QTest::newRow("twelve broken pictures")
            << to + QStringList{"many"} << 1 << "... and 2 more."
            << "many/bad12.png: not a picture that can be read\n";
        // A name that would clear the screen and set the title shows its controls as "?".
        QTest::newRow("a broken picture named with controls")
            << to + QStringList{"src/a.png", "ctl/\x1b[2J\x1b]0;x\x07.png"} << 1
            << "ctl/?[2J?]0;x?.png (not a picture that can be read)"
            << "ctl/?[2J?]0;x?.png: not a picture";
        QTest::newRow("a missing file beside a good one")
            << to + QStringList{"src/a.png", "nothere.png"} << 1 << "Done."
            << "cannot find \"nothere.png\"";
        QTest::newRow("only a missing file") << to + QStringList{"nothere.png"} << 2 << ""
                                             << "nothing to convert";
        QTest::newRow("a folder without pictures") << to + QStringList{"empty"} << 2 << ""
                                                   << "no file matches *.png";
        QTest::newRow("no path") << QStringList{"--convert"} << 2 << ""
                                 << "at least one PATH";
        QTest::newRow("missing destination")
            << QStringList{"--convert", "--to", "nowhere", "src/a.png"} << 2 << ""
            << "does not exist";
        QTest::newRow("a size no icon can have")
            << to + QStringList{"--size", "16,512", "src/a.png"} << 2 << ""
            << "Size not accepted.";
        QTest::newRow("two destinations") << to + QStringList{"--beside", "src/a.png"} << 2 << ""
                                          << "exclude each other";
        QTest::newRow("an option without --convert")
            << QStringList{"--size", "16", "src/a.png"} << 2 << ""
            << "only with --convert";
        QTest::newRow("unknown option") << to + QStringList{"--sise", "16", "src/a.png"} << 2 << ""
                                        << "sise";
        QTest::newRow("jobs not a number")
            << to + QStringList{"--jobs", "x", "src/a.png"} << 2 << ""
            << "--jobs";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--convert"
                              << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "quorbel 1."
                                 << "";
    }
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run run = quorbel(arguments);
        QCOMPARE(run.how, QProcess::NormalExit);
        QVERIFY2(run.out.contains(out), qPrintable(run.out));
        QVERIFY(!run.out.contains(QChar(0x1b)) && !run.err.contains(QChar(0x1b)));
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        if (err.isEmpty()) // no progress line when standard error is not a terminal
            QCOMPARE(run.err, QString());
        QTEST(run.status, "status");
    }

    void noDisplay_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::newRow("nothing set") << QStringList{};
        QTest::newRow("xcb asked for") << QStringList{"QT_QPA_PLATFORM=xcb"};
        QTest::newRow("display unreachable") << QStringList{"DISPLAY=:4242"};
    }
    void noDisplay()
    {
        QFETCH(QStringList, environment);
        const Run run = quorbel({"src/a.png"}, environment);
        QCOMPARE(run.how, QProcess::NormalExit); // no abort, no core
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains("quorbel --convert --help"), qPrintable(run.err));
        QCOMPARE(run.err.count("quorbel: "), 1);
    }

    void displayRule_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<bool>("canOpen");
        QTest::newRow("X display") << ""
                                   << ""
                                   << ":0"
                                   << "" << true;
        QTest::newRow("Wayland display") << ""
                                         << ""
                                         << ""
                                         << "wayland-0" << true;
        QTest::newRow("nothing") << ""
                                 << ""
                                 << ""
                                 << "" << false;
        QTest::newRow("offscreen needs none") << ""
                                              << "offscreen"
                                              << ""
                                              << "" << true;
        QTest::newRow("vnc with options") << ""
                                          << "vnc:size=800x600"
                                          << ""
                                          << "" << true;
        QTest::newRow("xcb without DISPLAY") << ""
                                             << "xcb"
                                             << ""
                                             << "wayland-0" << false;
        QTest::newRow("a list, the second can") << ""
                                                << "wayland;xcb"
                                                << ":0"
                                                << "" << true;
        QTest::newRow("the argument before the variable") << "minimal"
                                                          << "xcb"
                                                          << ""
                                                          << "" << true;
    }
    void displayRule()
    {
        QFETCH(QString, argument);
        QFETCH(QString, platform);
        QFETCH(QString, display);
        QFETCH(QString, wayland);
        QTEST(canOpenWindow({argument, platform, display, wayland}), "canOpen");
    }

    // Stopped while the converter has spoiled the icon, or while the program itself
    // is held up: the old icon is kept and nothing of the batch stays behind.
    void stopMidBatch_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("stuck"); // writing to a standard error nobody reads
        QTest::newRow("Ctrl-C") << int(SIGINT) << false;
        QTest::newRow("terminated") << int(SIGTERM) << false;
        QTest::newRow("Ctrl-C while stuck") << int(SIGINT) << true;
        QTest::newRow("terminated while stuck") << int(SIGTERM) << true;
    }
    void stopMidBatch()
    {
        QFETCH(int, signal);
        QFETCH(bool, stuck);
        writeFile(path("out/a.ico"), "old icon");
        writeScript(path("temp/emfconvert.exe"),
                    "for a; do out=$a; done\nprintf broken > \"$out\"\necho $$ > '" +
                        QFile::encodeName(path("started")) + "'\nexec sleep 30");
        QStringList arguments{"--convert", "--to", "out", "src/a.png"};
        QProcess process;
        int unread = -1;
        const auto closeUnread = qScopeGuard([&] { ::close(unread); });
        if (stuck) {
            // A complaint for each missing file, more than the pipe holds.
            for (int i = 0; i < 3000; ++i)
                arguments << QStringLiteral("missing-%1.png").arg(i);
            const QByteArray fifo = QFile::encodeName(path("stderr"));
            QVERIFY(mkfifo(fifo.constData(), 0600) == 0);
            unread = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
            process.setStandardErrorFile(path("stderr"));
        }
        start(process, arguments);
        if (stuck) {
            // Full up to the last message that no longer fitted.
            const auto held = [unread] {
                int bytes = 0;
                return ::ioctl(unread, FIONREAD, &bytes) == 0 ? bytes : 0;
            };
            QTRY_VERIFY_WITH_TIMEOUT(held() > ::fcntl(unread, F_GETPIPE_SZ) - 512, 20000);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path("started")), 20000);
        }
        ::kill(pid_t(process.processId()), signal);
        const bool ended = process.waitForFinished(20000); // did not hang
        if (!ended)
            process.kill();
        QVERIFY(ended);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 128 + signal);
        QCOMPARE(readFile(path("out/a.ico")), QByteArray("old icon"));
        // The converter is gone with its work; one the batch never came to stays staged.
        if (const int converter = readFile(path("started")).trimmed().toInt(); converter > 0)
            QTRY_VERIFY_WITH_TIMEOUT(::kill(converter, 0) != 0, 5000);
        QCOMPARE(QDir(path("temp")).entryList(QDir::Files),
                 stuck ? QStringList{"emfconvert.exe"} : QStringList());
    }

    // A converter that started a helper of its own (as ImageMagick runs rsvg-convert
    // for SVG) and wrote a pixel cache: neither outlives the program, killed or not.
    void nothingOutlivesTheProgram_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("interrupted") << int(SIGTERM);
        QTest::newRow("killed, then started again") << int(SIGKILL);
    }
    void nothingOutlivesTheProgram()
    {
        QFETCH(int, signal);
        writeScript(path("temp/emfconvert.exe"),
                    "sleep 300 & echo $! > '" + QFile::encodeName(path("helper")) +
                        "'\n: > \"$MAGICK_TMPDIR/magick-cache\"\n: > '" +
                        QFile::encodeName(path("started")) + "'\nexec sleep 300");
        QProcess process;
        start(process, {"--convert", "--to", "out", "src/a.png"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path("started")), 20000);
        const pid_t helper = readFile(path("helper")).trimmed().toInt();
        QVERIFY(helper > 0);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(20000));
        // --version touches nothing now; a run that sets out to convert cleans up.
        if (signal == SIGKILL)
            QCOMPARE(quorbel({"--convert", "--to", "out", "src/missing.png"}).status, 2);
        const auto alive = [helper] {
            const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(helper));
            return !stat.isEmpty() && !stat.contains(") Z ");
        };
        QTRY_VERIFY_WITH_TIMEOUT(!alive(), 5000);
        // The staged converter may stay after a kill; the work folder and cache may not.
        QStringList left =
            QDir(path("temp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        left.removeAll("emfconvert.exe");
        QCOMPARE(left, QStringList());
    }

    void svgPictures_data()
    {
        QTest::addColumn<QByteArray>("svg");
        QTest::addColumn<bool>("compressed");
        QTest::addColumn<QString>("reason"); // empty: converted
        QTest::addColumn<int>("opaque");     // pixels of the 64 px entry drawn
        const QByteArray red = "<rect width='64' height='64' fill='red'/>";
        QTest::newRow("names a FIFO")
            << svgDrawing(red + "<image width='64' height='64' xlink:href='%fifo'/>") << false << ""
            << 64 * 64;
        // The work folder's files, another job's among them, are never drawn.
        QTest::newRow("includes the work folder's files")
            << svgDrawing("<text y='20'><xi:include href='delegates.xml' parse='text'/>"
                          "<xi:include href='../delegates.xml' parse='text'/></text>")
            << false << "" << 0;
        QTest::newRow("embeds a picture")
            << svgEmbedding(greyPng(16, 16, true)) << false << "" << 64 * 64;
        QTest::newRow("embeds a huge picture")
            << svgEmbedding(greyPng(9000, 9000)) << false << "picture too large" << 0;
        QTest::newRow("expands to 64 MiB")
            << svgDrawing(red + "<!--" + QByteArray(64 << 20, ' ') + "-->") << true
            << "picture too large" << 0;
    }
    void svgPictures()
    {
        QFETCH(QByteArray, svg);
        QFETCH(bool, compressed);
        QFETCH(QString, reason);
        QCOMPARE(QProcess::execute("mkfifo", {path("fifo")}), 0);
        const QString source = path(compressed ? "src/v.svgz" : "src/v.svg");
        writeFile(path("src/v.svg"), svg.replace("%fifo", QFile::encodeName(path("fifo"))));
        if (compressed)
            QCOMPARE(QProcess::execute("gzip", {"-S", "z", path("src/v.svg")}), 0);
        const Run run = bounded({"--convert", "--size", "64,16", "--to", "out", source});
        QCOMPARE(run.how, QProcess::NormalExit);
        if (reason.isEmpty()) {
            QVERIFY2(run.out.contains(QStringLiteral("\nDone.\n")), qPrintable(run.out));
            const QImage entry = QImage(path("out/v.ico"), "ICO");
            int opaque = 0;
            for (int y = 0; y < entry.height(); ++y)
                for (int x = 0; x < entry.width(); ++x)
                    opaque += qAlpha(entry.pixel(x, y)) > 128;
            QCOMPARE(entry.size(), QSize(64, 64));
            QTEST(opaque, "opaque");
        } else {
            QVERIFY2(run.out.contains(source + " (" + reason + ")"), qPrintable(run.out));
            QCOMPARE(icons("out"), QStringList());
        }
    }

    // A designer's picture for one size that cannot be used fails its icon, naming it,
    // and its own row.
    void perSizePictures_data()
    {
        QTest::addColumn<QString>("own");
        QTest::addColumn<QByteArray>("content"); // empty: a picture, mode 000
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<QStringList>("entries"); // of logo.ico
        const QByteArray png = greyPng(16, 16, true);
        QTest::newRow("the base is the last row")
            << "logo-16.png" << png << QStringList{"logo-16.png", "logo.png"}
            << QStringList{"Done.\n"} << QStringList{"32x32", "16x16"};
        QTest::newRow("unreadable")
            << "logo-16.png" << QByteArray() << QStringList{"logo.png", "logo-16.png"}
            << QStringList{"logo.png (logo-16.png: the file cannot be read)",
                           "logo-16.png (the file cannot be read)"}
            << QStringList();
        QTest::newRow("too large") << "logo_16.svg" << svgEmbedding(greyPng(9000, 9000))
                                   << QStringList{"logo_16.svg", "logo.png"}
                                   << QStringList{"logo.png (logo_16.svg: picture too large)",
                                                  "logo_16.svg (picture too large)"}
                                   << QStringList();
        QTest::newRow("not a picture")
            << "logo-16.png" << QByteArray("not a picture") << QStringList{"logo.png"}
            << QStringList{"logo.png (logo-16.png: not a picture that can be read)"}
            << QStringList();
    }
    void perSizePictures()
    {
        QFETCH(QString, own);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, rows);
        QVERIFY(makePng(path("logo/logo.png"), 64, 64));
        if (content.isEmpty())
            writeFile(path("logo/") + own, greyPng(16, 16), {});
        else
            writeFile(path("logo/") + own, content);
        QStringList arguments{"--convert", "--size", "32,16", "--to", "out"};
        for (const QString &row : rows)
            arguments << path("logo/") + row;
        const Run run = bounded(arguments);
        QFETCH(QStringList, said);
        for (const QString &text : said)
            QVERIFY2(run.out.contains(text), qPrintable(run.out));
        QTEST(iconEntries(path("out/logo.ico")), "entries");
        QCOMPARE(run.status, said.size() == 1 && said[0] == "Done.\n" ? 0 : 1);
        QVERIFY(!QFile::exists(path("out/") + QFileInfo(own).completeBaseName() + ".ico"));
    }

    // A run that converts nothing creates nothing: no staging folder, wherever
    // TMPDIR points, not even in the root folder.
    void convertingNothingCreatesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("tmpdir");
        for (const char *tmpdir : {"base", "missing"}) {
            QTest::addRow("version, TMPDIR %s", tmpdir) << QStringList{"--version"} << tmpdir;
            QTest::addRow("help, TMPDIR %s", tmpdir) << QStringList{"--help"} << tmpdir;
            QTest::addRow("usage error, TMPDIR %s", tmpdir)
                << QStringList{"--convert", "--sise", "16", "src/a.png"} << tmpdir;
        }
    }
    void convertingNothingCreatesNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, tmpdir);
        QDir().mkpath(path("base"));
        const QString inRoot = "/quorbel-" + QString::number(geteuid());
        const bool wasInRoot = QFileInfo::exists(inRoot);
        const Run run = quorbel(arguments, {"TEMP=", "XDG_RUNTIME_DIR=", "TMPDIR=" + path(tmpdir),
                                            "HOME=" + path("home")});
        QCOMPARE(run.how, QProcess::NormalExit);
        QCOMPARE(QDir(path("base")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(!QFileInfo::exists(path("home")) && !QFileInfo::exists(path("missing")));
        QVERIFY(!QFileInfo::exists(path("config")));
        QCOMPARE(QFileInfo::exists(inRoot), wasInRoot);
    }

    // A TMPDIR that cannot hold the work gives way to /tmp, said once.
    void missingTemporaryFolderGivesWay()
    {
        const Run run = quorbel({"--convert", "--size", "32", "--to", "out", "src/a.png"},
                                {"TEMP=", "XDG_RUNTIME_DIR=", "TMPDIR=" + path("missing")});
        QVERIFY2(run.out.contains("\nDone.\n"), qPrintable(run.out + run.err));
        QCOMPARE(run.err.count("TMPDIR names " + path("missing")), 1);
        QCOMPARE(iconEntries(path("out/a.ico")), QStringList{"32x32"});
    }

    void windowStartsWithPaths()
    {
        FakeDialogs dialogs;
        keepSettingsIn(path("window"));
        SettingsStore store;
        Form1 window(dialogs, store, path("app"));
        window.Form_Load();
        const QString previous = QDir::currentPath();
        QDir::setCurrent(path("src"));
        addStartPaths({"c.jpg", path("src/sub")}, window.fileList(), window.errorReporter());
        QDir::setCurrent(previous);
        QStringList rows;
        for (int row = 1; row <= window.fileList().numberOfRows(); ++row)
            rows << window.fileList().rowText(row);
        QCOMPARE(rows, (QStringList{path("src/c.jpg"), path("src/sub/b.PNG")}));
    }

    // What the walk cannot read or name is said, and the run does not pass.
    void walkLeavesOut()
    {
        const int child = rerunWithoutPermissionOverride();
        if (child >= 0) {
            QCOMPARE(child, 0);
            return;
        }
        QVERIFY(makePng(path("src/locked/c.png"), 16, 16));
        const QByteArray odd = QFile::encodeName(path("src/")) + "\xfe.png";
        QVERIFY(QFile::copy(path("src/a.png"), path("src/plain.png")));
        QVERIFY(rename(QFile::encodeName(path("src/plain.png")).constData(), odd.constData()) == 0);
        QVERIFY(QFile::setPermissions(path("src/locked"), {}));
        const Run tree = quorbel({"--convert", "--to", "out", "--size", "16", "src"});
        const Run alone = quorbel({"--convert", "--to", "out", "src/locked"});
        QFile::setPermissions(path("src/locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        unlink(odd.constData());

        const QString named = QStringLiteral("cannot read the folder \"%1\": Permission denied.")
                                  .arg(path("src/locked"));
        QVERIFY2(tree.err.contains(named), qPrintable(tree.err));
        QVERIFY2(tree.err.contains("left out 1 file or folder"), qPrintable(tree.err));
        QCOMPARE(tree.status, 1);
        QCOMPARE(icons("out"), (QStringList{"a.ico", "b.ico"}));
        QVERIFY2(alone.err.contains(named) && !alone.err.contains("no file matches"),
                 qPrintable(alone.err));
        QCOMPARE(alone.status, 1);
    }
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
