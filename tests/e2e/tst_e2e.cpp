// The whole program as a person uses it: a real X server and window manager, real
// pointer and key events (xdotool), real dialogs, and a second program dragging
// files onto the list. Run through run-e2e.sh.
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {
QString xdotool(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), arguments);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

void pause(int ms)
{
    QThread::msleep(ms);
}

template <class Condition> bool waitFor(Condition condition, int timeoutMs = 15000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        pause(50);
    }
    return true;
}

// Window-relative centres of the controls, as the window lays them out.
const QPoint AddFiles(136, 196), AddFolder(400, 196), Start(268, 449), ClearList(136, 230),
    LoadSamples(400, 230), Size48(152, 278), Size64(192, 278), UserDefined(280, 278),
    UserSize(436, 278), ToFolder(32, 335), BesideSource(32, 409), OutputFolder(206, 372),
    FirstRow(60, 34), ListMiddle(260, 120);

QSize identify(const QString &icon)
{
    QProcess p;
    p.start(QStringLiteral("identify-im6.q16"),
            {QStringLiteral("-format"), QStringLiteral("%w %h\\n"), icon});
    p.waitForFinished(10000);
    const QStringList wh =
        QString::fromUtf8(p.readAllStandardOutput()).split('\n').first().split(' ');
    return wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
}
} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_app;
    QString m_window;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString m_config;
    QMap<QString, QString> m_env; // for the next start
    QString config() const { return m_config + "/Vandrell/Quorbel.conf"; }

    // Root (as in CI) starts the program without its override of file permissions,
    // so that an unreadable folder is unreadable to it too.
    void startApp(bool asUser = false, const QStringList &arguments = {},
                  const QString &title = QStringLiteral("^Quorbel$"))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_config);
        env.insert("HOME", path("home"));
        env.insert("TEMP", path("temp"));
        env.insert("QUORBEL_MESSAGE_LOG", path("messages.log"));
        env.insert("QT_QPA_PLATFORMTHEME", "");
        env.remove("QT_QPA_PLATFORM");
        for (auto it = m_env.cbegin(); it != m_env.cend(); ++it)
            env.insert(it.key(), it.value());
        QDir().mkpath(path("home/Desktop"));
        QDir().mkpath(path("temp"));
        m_app.setProcessEnvironment(env);
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (asUser && geteuid() == 0)
            m_app.start(QStringLiteral("setpriv"),
                        {"--bounding-set", "-dac_override,-dac_read_search", "--",
                         QStringLiteral(QUORBEL_EXECUTABLE)});
        else
            m_app.start(QStringLiteral(QUORBEL_EXECUTABLE), arguments);
        QVERIFY(m_app.waitForStarted());
        QVERIFY(waitFor([&] {
            m_window = xdotool({"search", "--onlyvisible", "--name", title}).split('\n').first();
            return !m_window.isEmpty();
        }));
        pause(500);
        xdotool({"windowactivate", "--sync", m_window});
    }

    void click(QPoint at, int times = 1)
    {
        xdotool(
            {"mousemove", "--window", m_window, QString::number(at.x()), QString::number(at.y())});
        pause(80);
        xdotool({"click", "--repeat", QString::number(times), "--delay", "80", "1"});
        pause(150);
    }
    static void key(const QString &keys)
    {
        xdotool({"key", "--delay", "60", keys});
        pause(150);
    }
    static void type(const QString &text)
    {
        xdotool({"type", "--delay", "15", text});
        pause(150);
    }
    static bool waitForWindow(const QString &title)
    {
        return waitFor([&] {
            return !xdotool({"search", "--onlyvisible", "--name", title}).isEmpty();
        });
    }
    QStringList messages() const
    {
        return QString::fromUtf8(readFile(path("messages.log"))).split('\n', Qt::SkipEmptyParts);
    }
    // Waits for the next message box, answers it with `answer` and returns its text.
    QString nextMessage(int seen, const QString &answer = "Return", int timeoutMs = 60000)
    {
        if (!waitFor([&] { return messages().size() > seen; }, timeoutMs))
            return QStringLiteral("<no message>");
        pause(300);
        key(answer);
        return messages().at(seen).section('\t', 1);
    }
    // Drags the paths from a second program onto the middle of the list.
    void dropOnList(const QStringList &paths)
    {
        QProcess source;
        source.start(QStringLiteral(QUORBEL_DRAGSOURCE), paths);
        QVERIFY(waitForWindow("^Quorbel Drag Source$"));
        const QString sourceWindow =
            xdotool({"search", "--onlyvisible", "--name", "^Quorbel Drag Source$"});
        pause(500);
        xdotool({"mousemove", "--window", sourceWindow, "40", "40"});
        xdotool({"mousedown", "1"});
        for (int step = 1; step <= 10; ++step) {
            xdotool({"mousemove", "--window", m_window, QString::number(ListMiddle.x() * step / 10),
                     QString::number(ListMiddle.y())});
            pause(60);
        }
        pause(300);
        xdotool({"mouseup", "1"});
        pause(500);
        source.kill();
        source.waitForFinished();
    }
    void replaceText(QPoint field, const QString &text)
    {
        click(field);
        key("ctrl+a");
        type(text);
    }
    void closeApp()
    {
        xdotool({"windowactivate", "--sync", m_window});
        key("alt+F4");
        QVERIFY(m_app.waitForFinished(10000));
    }

private slots:
    void init()
    {
        // Every test starts as a first run.
        m_config = path(QStringLiteral("config-") + QTest::currentTestFunction());
        m_env.clear();
        QFile::remove(path("messages.log"));
    }
    void cleanup()
    {
        if (m_app.state() != QProcess::NotRunning) {
            m_app.kill();
            m_app.waitForFinished();
        }
    }

    void typicalRoad()
    {
        for (const char *name :
             {"tree/a.png", "tree/B.PNG", "tree/sub/c.png", "tree/sub/deep/d.png"})
            QVERIFY(makePng(path(name), 256, 256));
        writeFile(path("tree/skip.jpg"), "x");
        writeFile(path("tree/~tmp.png"), "x");
        QDir().mkpath(path("icons"));
        startApp();

        click(AddFolder);
        QVERIFY(waitForWindow("^Quorbel$")); // the extension question
        pause(400);
        key("ctrl+a");
        type("png");
        key("Return");
        QVERIFY(waitForWindow("^Please select folder:$"));
        pause(400);
        type(path("tree"));
        key("Return");
        pause(800);
        if (!xdotool({"search", "--onlyvisible", "--name", "^Please select folder:$"}).isEmpty())
            key("Return"); // the first Return took a completion

        click(Size48);
        click(ToFolder);
        replaceText(OutputFolder, path("icons"));
        click(Start);
        QCOMPARE(nextMessage(0), QStringLiteral("Done."));
        for (const char *name : {"a.ico", "B.ico", "c.ico", "d.ico"})
            QCOMPARE(identify(path("icons/") + name), QSize(48, 48));
        QCOMPARE(QDir(path("icons")).entryList(QDir::Files).size(), 4);
        QVERIFY(QString::fromUtf8(readFile(config())).contains("LastFolder=" + path("tree")));
        closeApp();
    }

    void dialogBrokenPngAndExistingIcon()
    {
        QVERIFY(makePng(path("in/good.png"), 128, 128));
        writeFile(path("in/broken.png"), "this is not a picture");
        writeFile(path("out/broken.ico"), "OLD ICON");
        startApp();
        click(AddFiles);
        QVERIFY(waitForWindow("^Add File"));
        pause(400);
        type(QStringLiteral("\"%1\" \"%2\"").arg(path("in/good.png"), path("in/broken.png")));
        key("Return");
        click(ToFolder);
        replaceText(OutputFolder, path("out"));
        click(Start);
        const QString summary = nextMessage(0);
        QVERIFY2(summary.startsWith("Done.\\n\\n1 of 2 files could not be converted:\\n" +
                                    path("in/broken.png")),
                 qPrintable(summary));
        QCOMPARE(readFile(path("out/broken.ico")), QByteArray("OLD ICON"));
        QCOMPARE(identify(path("out/good.ico")), QSize(24, 24));
        closeApp();
    }

    void duringBatch()
    {
        // A slow stand-in converter: what the batch does meanwhile is the point.
        writeScript(path("temp/emfconvert.exe"),
                    "eval out=\\${$#}\nprintf half > \"$out\"\nsleep 1\nexit 1");
        writeFile(path("busy/out/s1.ico"), "KEEP ME");
        for (const char *name : {"busy/s1.png", "busy/s2.png", "busy/more/s3.png"})
            QVERIFY(makePng(path(name), 32, 32));
        startApp();
        // Two files and a folder arrive by dropping them from another program.
        dropOnList({path("busy/s1.png"), path("busy/s2.png"), path("busy/more")});

        click(ToFolder);
        replaceText(OutputFolder, path("busy/out"));
        click(Start);
        pause(400);
        click(Start);       // ignored
        click(FirstRow, 2); // refused
        key("Delete");      // refused
        click(ClearList);   // refused
        const QString summary = nextMessage(0, "Return", 30000);
        QVERIFY2(summary.startsWith("Done.\\n\\n3 of 3 files could not be converted:"),
                 qPrintable(summary));
        QCOMPARE(messages().size(), 1);
        QCOMPARE(readFile(path("busy/out/s1.ico")), QByteArray("KEEP ME"));

        // Closing in the middle of a batch ends the program at once and loses nothing.
        writeScript(path("temp/emfconvert.exe"),
                    "eval out=\\${$#}\nprintf half > \"$out\"\nsleep 30");
        click(Start);
        pause(700);
        QElapsedTimer clock;
        clock.start();
        closeApp();
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(readFile(path("busy/out/s1.ico")), QByteArray("KEEP ME"));
        QVERIFY(!QFile::exists(path("temp/emfconvert.exe")));
    }

    void dropTreeWithLoopAndUnreadableFolder()
    {
        writeScript(path("temp/emfconvert.exe"), "exit 1");
        writeFile(path("drop/a.png"), "x");
        writeFile(path("drop/z/z.png"), "x");
        writeFile(path("drop/.hidden.png"), "x");
        writeFile(path("drop/locked-folder-nobody-may-read/l.png"), "x");
        QVERIFY(QFile::link(path("drop"), path("drop/a-link-back-to-the-top-of-the-tree")));
        const QString locked = path("drop/locked-folder-nobody-may-read");
        QVERIFY(QFile::setPermissions(locked, {}));
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        startApp(true);
        dropOnList({path("drop")});
        QCOMPARE(m_app.state(), QProcess::Running);
        click(BesideSource);
        click(Start);
        // The summary names every listed file, in list order.
        const QString summary = nextMessage(0);
        QVERIFY2(summary.startsWith("Done.\\n\\n2 of 2 files could not be converted:"),
                 qPrintable(summary));
        const qsizetype first = summary.indexOf(path("drop/a.png") + " (");
        QVERIFY(first > 0);
        QVERIFY(summary.indexOf(path("drop/z/z.png") + " (") > first);
        closeApp();
    }

    void restartRestoresEveryOption()
    {
        startApp();
        click(Size64);
        click(BesideSource);
        closeApp();
        const QString stored = QString::fromUtf8(readFile(config()));
        QVERIFY(stored.contains("Icon%20Size=5"));
        QVERIFY(stored.contains("Option9=True"));

        // The restored choices do their work: 64 pixels, beside the source.
        QVERIFY(makePng(path("again/pic.png"), 200, 200));
        startApp();
        click(AddFiles);
        QVERIFY(waitForWindow("^Add File"));
        pause(400);
        type(path("again/pic.png"));
        key("Return");
        click(Start);
        QCOMPARE(nextMessage(0), QStringLiteral("Done."));
        QCOMPARE(identify(path("again/pic.ico")), QSize(64, 64));

        click(UserDefined);
        replaceText(UserSize, "100");
        click(ToFolder);
        closeApp();
        startApp();
        closeApp();
        const QString after = QString::fromUtf8(readFile(config()));
        QVERIFY(after.contains("Icon%20Size=7"));
        QVERIFY(after.contains("Text2=100"));
        QVERIFY(after.contains("Option8=True"));
    }

    // A KDE desktop with a dark colour scheme: on the white face the empty option
    // circles stay light and the chosen one dark.
    void darkDesktopKeepsTheOptionsReadable()
    {
        writeFile(m_config + "/kdeglobals", "[Colors:Button]\nBackgroundNormal=49,54,59\n"
                                            "ForegroundNormal=252,252,252\n"
                                            "[Colors:View]\nBackgroundNormal=27,30,32\n"
                                            "ForegroundNormal=252,252,252\n"
                                            "[Colors:Window]\nBackgroundNormal=42,46,50\n"
                                            "ForegroundNormal=252,252,252\n");
        m_env = {{"XDG_CURRENT_DESKTOP", "KDE"},
                 {"KDE_SESSION_VERSION", "5"},
                 {"QT_STYLE_OVERRIDE", "Fusion"}};
        startApp();
        QImage shot;
        const auto grab = [&] {
            QProcess import;
            import.start(QStringLiteral("import"), {"-window", m_window, "png:-"});
            import.waitForFinished(10000);
            shot = QImage::fromData(import.readAllStandardOutput(), "PNG");
            return !shot.isNull();
        };
        // The list turns dark once the desktop's colours have come.
        QVERIFY(waitFor([&] { return grab() && shot.pixelColor(ListMiddle).lightnessF() < 0.3; }));
        const auto darkestInCircle = [&](int left) {
            double darkest = 1;
            for (int x = left + 1; x < left + 12; ++x)
                for (int y = 276; y <= 280; ++y)
                    darkest = qMin(darkest, shot.pixelColor(x, y).lightnessF());
            return darkest;
        };
        QVERIFY(darkestInCircle(24) > 0.5); // 16
        QVERIFY(darkestInCircle(64) < 0.3); // 24, the first run's choice
        closeApp();
    }

    void previewFromTheTerminal_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("picture") << "logo.png";
        QTest::newRow("icon") << "logo.ico";
    }
    void previewFromTheTerminal()
    {
        QFETCH(QString, file);
        QVERIFY(makePng(path("logo.png"), 64, 64));
        QProcess make;
        make.start(QStringLiteral("convert-im6.q16"), {path("logo.png"), path("logo.ico")});
        QVERIFY(make.waitForFinished(20000));
        startApp(false, {"--preview", path(file)}, QStringLiteral("^%1 – Icon Preview$").arg(file));
        key("Escape");
        QVERIFY(m_app.waitForFinished(10000));
        QCOMPARE(m_app.exitCode(), 0);
    }

    void windowShowsItsIcon()
    {
        startApp();
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {"-id", m_window, "_NET_WM_ICON"});
        QVERIFY(xprop.waitForFinished());
        const QString answer = QString::fromUtf8(xprop.readAllStandardOutput());
        QVERIFY2(answer.startsWith(QLatin1String("_NET_WM_ICON(CARDINAL) =")), qPrintable(answer));
        closeApp();
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
