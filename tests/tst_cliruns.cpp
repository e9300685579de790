// The terminal run under stress: no display, signals, helpers that linger, nothing
// to convert, a broken staging place, an unreadable walk; the window started with
// paths; and the compact icon as readers open it.
#include "CliHarness.h"
#include "app/Form1.h"
#include "app/StartPaths.h"
#include "cli/DisplayCheck.h"
#include "core/IcoFile.h"
#include "filelist/FileListModel.h"

#include <QImageReader>

class TestCliRuns : public QObject, private CliHarness
{
    Q_OBJECT

private slots:
    void init() { makeFixture(); }

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
        QTest::addColumn<QString>("nextTemp"); // of the start after a kill
        QTest::newRow("interrupted") << int(SIGTERM) << QString();
        QTest::newRow("killed, then started again") << int(SIGKILL) << "temp";
        QTest::newRow("killed, then started with another TEMP") << int(SIGKILL) << "temp2";
    }
    void nothingOutlivesTheProgram()
    {
        QFETCH(int, signal);
        QFETCH(QString, nextTemp);
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
        if (!nextTemp.isEmpty()) {
            QDir().mkpath(path(nextTemp));
            QCOMPARE(
                quorbel({"--convert", "--to", "out", "src/missing.png"}, {"TEMP=" + path(nextTemp)})
                    .status,
                2);
        }
        const auto alive = [helper] {
            const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(helper));
            return !stat.isEmpty() && !stat.contains(") Z ");
        };
        QTRY_VERIFY_WITH_TIMEOUT(!alive(), 5000);
        // Nothing of the killed run stays, the staged converter included, wherever
        // the next start stages.
        const QStringList left =
            QDir(path("temp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QCOMPARE(left, QStringList());
    }

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

    // An error no file is to blame for reads as a terminal's: one line, status 1.
    void unexpectedErrorIsOneLine()
    {
        // A folder where the converter is to be staged: it can never be run.
        QVERIFY(QDir().mkpath(path("temp/emfconvert.exe")));
        const Run run = quorbel({"--convert", "--to", "out", "src/a.png"});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.startsWith("quorbel: the converter " + path("temp")) &&
                     run.err.section('\n', 0, 0).endsWith("nobody else can change") &&
                     !run.err.contains('\r') && !run.err.contains("Please email"),
                 qPrintable(run.err));
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

    // A compact icon holds the same pictures, its entries from 48 px up as PNG that
    // the readers open; its smallest stays a bitmap, which GTK shows.
    void compactEntriesArePng_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("store");
        QTest::addColumn<QList<int>>("png");
        const QList<int> fromFortyEight{256, 96, 80, 72, 64, 60, 48};
        QTest::newRow("--compact") << "windows"
                                   << "--compact"
                                   << "" << fromFortyEight;
        QTest::newRow("saved in the window") << "windows"
                                             << ""
                                             << "Compact=True" << fromFortyEight;
        QTest::newRow("--no-compact over the saved choice") << "windows"
                                                            << "--no-compact"
                                                            << "Compact=True" << QList<int>{256};
        QTest::newRow("no entry below 48") << "48,64,256"
                                           << "--compact"
                                           << "" << QList<int>{256, 64};
    }
    void compactEntriesArePng()
    {
        QFETCH(QString, size);
        QFETCH(QString, option);
        QFETCH(QString, store);
        QFETCH(QList<int>, png);
        writeFile(storeFile(), "[General]\n" + store.toUtf8() + "\n");
        // Shaded, so that rows pack best filtered.
        QImage shaded(256, 256, QImage::Format_ARGB32);
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x)
                shaded.setPixel(x, y, qRgba(x, y, (x * y) % 251, (x + y) / 2));
        }
        QVERIFY(shaded.save(path("src/a.png")));
        QDir().mkpath(path("std"));
        for (const QString &folder : {QStringLiteral("out"), QStringLiteral("std")}) {
            QStringList arguments{"--convert", "--size", size, "--to", folder, "src/a.png"};
            arguments << (folder == "std" ? QStringLiteral("--no-compact") : option);
            QCOMPARE(quorbel(arguments.filter(QRegularExpression(".")), {}).status, 0);
        }
        const IcoFile icon(readFile(path("out/a.ico")));
        QList<int> compressed;
        for (const IcoFile::Entry &entry : icon.entries()) {
            if (entry.storage == IcoFile::Storage::Png)
                compressed << entry.width;
        }
        QCOMPARE(compressed, png);
        // Pixel for pixel the standard icon's, entry by entry; GTK shows it.
        QImageReader compact(path("out/a.ico"), "ico");
        QImageReader standard(path("std/a.ico"), "ico");
        QCOMPARE(compact.imageCount(), standard.imageCount());
        for (int i = 0; i < compact.imageCount(); ++i) {
            QVERIFY(compact.jumpToImage(i) && standard.jumpToImage(i));
            // Qt reads a bitmap entry premultiplied.
            QCOMPARE(rmsError(compact.read(), standard.read()), 0.0);
        }
        QProcess gtk;
        gtk.start("gdk-pixbuf-thumbnailer", {"-s", "128", path("out/a.ico"), path("thumb.png")});
        if (gtk.waitForFinished() && gtk.exitStatus() == QProcess::NormalExit)
            QVERIFY2(gtk.exitCode() == 0 && QImage(path("thumb.png")).width() == 128,
                     gtk.readAllStandardError().constData());
    }
};

QTEST_MAIN(TestCliRuns)
#include "tst_cliruns.moc"
