// The main road with real children: ImageMagick on hard names, the process runner,
// and batches that are killed, closed, run twice at once or denied their folder.
#include "BatchFakes.h"
#include "TestSupport.h"
#include "convert/ConverterTool.h"
#include "convert/JobCheck.h"

#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Users of the machine other than root, for the shared folder's cases.
constexpr int You = 4101;
constexpr int Another = 4102;

QColor iconColour(const QString &path)
{
    QImageReader reader(path, "ico");
    const QImage image = reader.read();
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}

bool makeSolidPng(const QString &path, QColor colour)
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "PNG");
}

QSize iconSize(const QString &path)
{
    QImageReader reader(path, "ico");
    return reader.size();
}

// Gone, or dead and waiting for a parent to collect it (an orphan's new parent may
// take its time).
bool processGone(qint64 pid)
{
    const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    return stat.isEmpty() || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
}

QList<qint64> pidsIn(const QString &file)
{
    QList<qint64> pids;
    for (const QByteArray &line : readFile(file).split('\n')) {
        if (!line.isEmpty())
            pids << line.toLongLong();
    }
    return pids;
}
} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_temp;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QProcess *startChild(const QString &dest, const QString &size, const QStringList &sources,
                         const QStringList &prefix = {})
    {
        auto *child = new QProcess(this);
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QStringList arguments = QStringList{dest, size} + sources;
        if (prefix.isEmpty())
            child->start(QStringLiteral(QUORBEL_BATCH_CHILD), arguments);
        else
            child->start(prefix.first(),
                         prefix.mid(1) + QStringList{QUORBEL_BATCH_CHILD} + arguments);
        return child;
    }
    QString finish(QProcess *child)
    {
        child->waitForFinished(60000);
        return QString::fromUtf8(child->readAllStandardOutput()).trimmed();
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_temp = path("temp");
        QDir(m_temp).removeRecursively();
        QDir().mkpath(m_temp);
        qputenv("TEMP", QFile::encodeName(m_temp));
    }

    void toolPathFollowsTemp_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::newRow("absolute") << false;
        // Children run in other folders: a relative TEMP must not stay relative.
        QTest::newRow("relative") << true;
    }

    void toolPathFollowsTemp()
    {
        QFETCH(bool, relative);
        const QString previous = QDir::currentPath();
        if (relative) {
            QDir::setCurrent(m_temp);
            qputenv("TEMP", ".");
        }
        const QString tool = ConverterToolPath();
        QDir::setCurrent(previous);
        QCOMPARE(tool, m_temp + QStringLiteral("/emfconvert.exe"));
        QVERIFY(loadConverterImage().startsWith("\x7f"
                                                "ELF"));
    }

    void privateStagingFolder()
    {
        // Without TEMP the converter is staged in a folder of ours alone.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("TEMP");
        QDir().mkpath(path("runtime"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("runtime")));
        QCOMPARE(ConverterToolPath(), path("runtime") + "/emfconvert.exe");
        qunsetenv("XDG_RUNTIME_DIR");
        const QString folder = QDir::tempPath() + "/quorbel-" + QString::number(getuid());
        QCOMPARE(ConverterToolPath(), folder + "/emfconvert.exe");
        QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFile::Permissions());
        QFile(folder).setPermissions(QFile(folder).permissions() | QFile::WriteOther);
        // No longer private: left alone for a private folder beside it.
        const QString beside = QFileInfo(ConverterToolPath()).path();
        QFile(folder).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(beside.startsWith(folder + '-'), qPrintable(beside));
        QCOMPARE(QFileInfo(beside).permissions() & 0x0077, QFile::Permissions());
        QDir(beside).removeRecursively();
        if (!runtime.isEmpty())
            qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TEMP", QFile::encodeName(m_temp));
    }

    // A TEMP that ImageMagick would read otherwise than we mean, or that runs no
    // program, gives way to the private folder; where that runs none either, one
    // report says so.
    void stagingFolderTheConverterCanUse_data()
    {
        QTest::addColumn<QString>("temp"); // empty: a file system mounted noexec
        QTest::addColumn<bool>("noFolderRuns");
        QTest::newRow("colon") << "co:lon" << false;
        QTest::newRow("line break") << "new\nline" << false;
        QTest::newRow("letters beyond ASCII") << "jörg" << false;
        QTest::newRow("noexec") << QString() << false;
        QTest::newRow("noexec everywhere") << QString() << true;
    }
    void stagingFolderTheConverterCanUse()
    {
        QFETCH(QString, temp);
        QFETCH(bool, noFolderRuns);
        const QString mount = path("noexec");
        if (temp.isEmpty() &&
            !(QDir().mkpath(mount) &&
              QProcess::execute("mount", {"-t", "tmpfs", "-o", "noexec", "tmpfs", mount}) == 0))
            QSKIP("cannot mount a file system here");
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), tmp = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] {
            for (const auto &[name, value] :
                 {std::pair{"XDG_RUNTIME_DIR", runtime}, {"TMPDIR", tmp}})
                value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
            QProcess::execute("umount", {"-q", mount});
        });
        temp = temp.isEmpty() ? mount : path(temp);
        QDir().mkpath(temp);
        QDir().mkpath(path("runtime"));
        qputenv("TEMP", QFile::encodeName(temp));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(noFolderRuns ? mount : path("runtime")));
        if (noFolderRuns)
            qputenv("TMPDIR", QFile::encodeName(mount));
        // Where a split at the colon leads: its commands must never run.
        QFile::remove(path("planted"));
        writeFile(path("co/delegates.xml"),
                  "<delegatemap><delegate decode='qrsvg' command='touch " +
                      QFile::encodeName(path("planted")) + "'/></delegatemap>");
        writeFile(path("logo.svg"),
                  "<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'/>");
        QVERIFY(makeSolidPng(path("photo.png"), Qt::red));
        FakeWindow window;
        FakeReporter reporter;
        window.rows << path("logo.svg") << path("photo.png");
        window.folder = m_dir.path();
        FakeBatch batch(window, reporter);
        batch.PushButton2_Click();
        QVERIFY(!QFile::exists(path("planted")));
        QCOMPARE(reporter.reports.size(), int(noFolderRuns));
        QCOMPARE(reporter.reports.join("").contains(mount + "/quorbel-"), noFolderRuns);
        QCOMPARE(window.messages.first() == "Done.", !noFolderRuns);
        QCOMPARE(window.messages.first().count("(the converter could not be started)"),
                 noFolderRuns ? 2 : 0);
        QCOMPARE(QDir(temp).entryList({"quorbel-work-*", "*.exe"}, QDir::AllEntries),
                 QStringList());
    }

    void userDefinedSizeBesideSource()
    {
        FakeWindow window;
        FakeReporter reporter;
        QVERIFY(makePng(path("big.png"), 300, 200));
        window.rows << path("big.png");
        window.selectedSize = 7;
        window.sizeText = "100";
        window.selectedDestination = 9;
        window.folder = "/no/such/folder"; // no obstacle beside the source
        FakeBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(window.messages, QStringList{"Done."});
        QCOMPARE(iconSize(path("big.ico")), QSize(100, 100)); // square, as Windows shows it
    }

    void hardNamesConvertToExactlyTheirIcon_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"[1] bracket.png", "what?.png", "star*.png", "{a,b}.png",
                                 "x.png[0]", "@list.png", "label:x.png", "-dash.png", "50%off.png",
                                 "quote\".png", "new\nline.png", "bülte ñ.png"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }
    void hardNamesConvertToExactlyTheirIcon()
    {
        QFETCH(QString, name);
        // The folders' own names are hard too; decoys that a glob or a list would find.
        const QString sources = path("src [2024] *?");
        const QString out = path("out {x,y} 50%d");
        QDir(out).removeRecursively();
        QDir().mkpath(sources);
        QDir().mkpath(out);
        for (const char *decoy : {"whatA.png", "starX.png", "a.png", "list.png", "x.png", "1"})
            QVERIFY(makeSolidPng(sources + '/' + decoy, Qt::blue));
        writeFile(sources + "/list.png", QFile::encodeName(sources + "/a.png"));
        QVERIFY(makeSolidPng(sources + '/' + name, Qt::red));
        FakeWindow window;
        FakeReporter reporter;
        window.rows << sources + '/' + name;
        window.folder = out;
        window.selectedSize = 1;
        FakeBatch batch(window, reporter);
        batch.PushButton2_Click();
        QCOMPARE(window.messages, QStringList{"Done."});
        const QString icon =
            outputPathFor(window.rows.first(), {Destination::Rule::Folder, out}, {});
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{QFileInfo(icon).fileName()});
        QCOMPARE(iconColour(icon), QColor(Qt::red));
    }

    void runnerGivesFolderExitCodeAndErrorOutput()
    {
        // It may run on every core we may: never left where it was started.
        writeScript(path("tool.sh"), "pwd > '" + QFile::encodeName(path("cwd")) +
                                         "'\ngrep Cpus_allowed_list /proc/self/status > '" +
                                         QFile::encodeName(path("cores")) +
                                         "'\necho \"complaint $1\" >&2\nexit 3");
        ProcessRunner runner;
        QList<ChildEnd> ends;
        QList<int> jobs;
        runner.setEndedHandler([&](int job, const ChildEnd &end) {
            jobs << job;
            ends << end;
        });
        runner.start(5, path("tool.sh"), {"in-5.png"}, m_temp, {});
        QTRY_COMPARE(ends.size(), 1);
        QCOMPARE(ends[0].how, ChildProcess::End::Exited);
        QCOMPARE(ends[0].exitCode, 3);
        QCOMPARE(ends[0].errorOutput, QByteArray("complaint in-5.png\n"));
        QCOMPARE(readFile(path("cwd")).trimmed(), QFile::encodeName(m_temp));
        QFile status("/proc/self/status");
        QVERIFY(status.open(QIODevice::ReadOnly));
        const QByteArray ours = status.readAll();
        const qsizetype at = ours.indexOf("Cpus_allowed_list");
        QCOMPARE(readFile(path("cores")), ours.mid(at, ours.indexOf('\n', at) + 1 - at));
        runner.start(6, path("no-such-tool"), {}, m_temp, {});
        QTRY_COMPARE(ends.size(), 2);
        QCOMPARE(ends[1].how, ChildProcess::End::FailedToStart);
        QCOMPARE(jobs, (QList<int>{5, 6}));
    }

    void closingMidBatchEndsEveryChild()
    {
        // A converter already staged is used unchanged: here one that just waits.
        const QString pids = path("pids");
        QFile::remove(pids);
        // What it starts in turn (here a shell's child) ends with it.
        writeScript(m_temp + "/emfconvert.exe",
                    "sleep 30 &\necho $! >> '" + QFile::encodeName(pids) + "'\nwait");
        writeFile(path("out/a.ico"), "GOOD OLD ICON");
        FakeWindow window;
        window.jobs = 3;
        FakeReporter reporter;
        for (const char *name : {"a.png", "b.png", "c.png", "d.png"}) {
            QVERIFY(makePng(path(name), 8, 8));
            window.rows << path(name);
        }
        window.folder = path("out");
        FakeBatch batch(window, reporter);
        QTimer::singleShot(200, [&] {
            QTRY_COMPARE(pidsIn(pids).size(), 3);
            batch.abortForShutDown();
        });
        QElapsedTimer clock;
        clock.start();
        batch.PushButton2_Click();
        QVERIFY(clock.elapsed() < 10000);
        for (qint64 pid : pidsIn(pids))
            QTRY_VERIFY(processGone(pid));
        QCOMPARE(QDir(m_temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{});
        QCOMPARE(QDir(path("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ico"});
        QCOMPARE(readFile(path("out/a.ico")), QByteArray("GOOD OLD ICON"));
    }

    // What a killed run left working ends at the next start; the user's own shell,
    // working in that run's folder, does not.
    void killedRunLeavesNothingBehind_data()
    {
        QTest::addColumn<QByteArray>("helpers"); // started by the converter, pids to PIDS
        QTest::newRow("its helper") << QByteArray("sleep 30 & echo $! >> PIDS");
        QTest::newRow("its helper, gone elsewhere")
            << QByteArray("(cd / && exec sleep 30) & echo $! >> PIDS");
        QTest::newRow("a helper's helper, in a session of its own")
            << QByteArray("setsid sh -c 'cd /tmp; sleep 30 & echo $! >> PIDS; wait' &");
    }
    void killedRunLeavesNothingBehind()
    {
        QFETCH(QByteArray, helpers);
        const QString pids = path("pids");
        QFile::remove(pids);
        QFile::remove(pids + ".started");
        writeScript(m_temp + "/emfconvert.exe",
                    QByteArray(helpers + "\necho $$ >> PIDS; : > PIDS.started\nexec sleep 30")
                        .replace("PIDS", QFile::encodeName(pids)));
        QDir(path("out")).removeRecursively();
        writeFile(path("out/a.ico"), "GOOD OLD ICON");
        QVERIFY(makePng(path("a.png"), 8, 8));
        QProcess *child = startChild(path("out"), "16", {path("a.png")});
        QTRY_VERIFY(QFile::exists(pids + ".started"));
        ::kill(pid_t(child->processId()), SIGKILL);
        child->waitForFinished();
        QCOMPARE(QDir(path("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ico"});
        QCOMPARE(readFile(path("out/a.ico")), QByteArray("GOOD OLD ICON"));
        const QStringList work = QDir(m_temp).entryList({"quorbel-work-*"}, QDir::Dirs);
        QCOMPARE(work.size(), 1);
        QProcess shell;
        shell.setWorkingDirectory(m_temp + '/' + work.first());
        shell.start("sleep", {"30"});
        QVERIFY(shell.waitForStarted());

        // The next batch clears what the killed one left and converts.
        QFile::remove(m_temp + "/emfconvert.exe");
        QVERIFY(finish(startChild(path("out"), "16", {path("a.png")})).endsWith("Done."));
        for (qint64 pid : pidsIn(pids))
            QTRY_VERIFY(processGone(pid));
        QVERIFY(!processGone(shell.processId()));
        shell.kill();
        shell.waitForFinished();
        QCOMPARE(QDir(m_temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{});
        QCOMPARE(iconColour(path("out/a.ico")).isValid(), true);
    }

    void twoInstancesSharingTheStagingFolderBothConvertAll()
    {
        QStringList few, many;
        for (int i = 0; i < 24; ++i) {
            const QString name = path(QStringLiteral("src/p%1.png").arg(i));
            QVERIFY(makePng(name, 64, 64));
            (i < 2 ? few : many) << name;
        }
        QDir().mkpath(path("one"));
        QDir().mkpath(path("two"));
        // The quick one stages, finishes and removes the converter while the other works.
        QProcess *slow = startChild(path("two"), "48", many);
        QProcess *quick = startChild(path("one"), "48", few);
        QCOMPARE(finish(quick), QStringLiteral("Done."));
        QCOMPARE(finish(slow), QStringLiteral("Done."));
        QCOMPARE(QDir(path("one")).entryList({"*.ico"}).size(), few.size());
        QCOMPARE(QDir(path("two")).entryList({"*.ico"}).size(), many.size());
        QVERIFY(!QFile::exists(m_temp + "/emfconvert.exe"));
    }

    void readOnlyDestinationFolderKeepsEveryIcon()
    {
        if (QProcess::execute("setpriv", {"--bounding-set", "-dac_override", "--", "true"}) != 0)
            QSKIP("setpriv cannot drop the capability here");
        const QString out = path("ro");
        QDir(out).removeRecursively();
        writeFile(out + "/writable.ico", "OLD WRITABLE", QFile::ReadOwner | QFile::WriteOwner);
        writeFile(out + "/locked.ico", "OLD LOCKED", QFile::ReadOwner);
        QFile(out).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        QStringList sources;
        for (const char *name : {"writable.png", "locked.png", "fresh.png"}) {
            sources << path(name);
            QVERIFY(makePng(sources.last(), 64, 64));
        }
        const QString message = finish(
            startChild(out, "32", sources,
                       {"setpriv", "--bounding-set", "-dac_override,-dac_read_search", "--"}));
        QFile(out).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // Written in place: the folder refuses new files, the icon itself does not.
        QCOMPARE(iconColour(out + "/writable.ico").isValid(), true);
        QCOMPARE(readFile(out + "/locked.ico"), QByteArray("OLD LOCKED"));
        QVERIFY2(message.contains(path("locked.png") + " (locked.ico is read-only)"),
                 qPrintable(message));
        QVERIFY2(message.contains(path("fresh.png") + " (cannot write in the destination folder)"),
                 qPrintable(message));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
    // Run as a second user: a link in a shared sticky folder is followed only when it
    // is that user's or the folder owner's, at every hop; a read-only icon stays.
    void iconsGoOnlyWhereTheUserMeans_data()
    {
        QTest::addColumn<int>("owner"); // of the link logo.ico; -1: a read-only file
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("reason"); // empty: converted through the link
        const QString notFollowed =
            "logo.ico is a link owned by another user in a shared folder; not followed";
        QTest::newRow("another's link to your file") << Another << "mine/notes.txt" << notFollowed;
        QTest::newRow("another's dangling link") << Another << "mine/planted.ico" << notFollowed;
        QTest::newRow("your link through another's") << You << "shared/relay" << notFollowed;
        QTest::newRow("your own link") << You << "mine/logo.ico" << QString();
        QTest::newRow("the folder owner's link") << 0 << "mine/logo.ico" << QString();
        QTest::newRow("read-only icon") << -1 << QString() << "logo.ico is read-only";
        QTest::newRow("read-only through your link")
            << You << "mine/locked.ico"
            << "the icon is a link to " + path("mine/locked.ico") + ", which you may not change";
    }
    void iconsGoOnlyWhereTheUserMeans()
    {
        QFETCH(int, owner);
        QFETCH(QString, to);
        QFETCH(QString, reason);
        if (geteuid() != 0)
            QSKIP("needs root to make files of other users");
        for (const char *folder : {"shared", "mine", "src"})
            QDir(path(folder)).removeRecursively();
        QVERIFY(QDir().mkpath(path("src")) && makeSolidPng(path("src/logo.png"), Qt::blue));
        writeFile(path("mine/notes.txt"), "NOTES");
        writeFile(path("mine/logo.ico"), "OLD");
        writeFile(path("mine/locked.ico"), "OLD", QFile::ReadOwner | QFile::ReadOther);
        QDir().mkpath(path("shared"));
        const auto give = [](const QString &file, int uid) {
            return ::lchown(QFile::encodeName(file).constData(), uid_t(uid), gid_t(uid)) == 0;
        };
        const auto link = [&](const QString &target, const QString &name, int uid) {
            return QFile::link(target, path(name)) && give(path(name), uid);
        };
        QVERIFY(::chmod(QFile::encodeName(path("shared")).constData(), 01777) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755) == 0);
        for (const QString &mine : {m_temp, path("mine"), path("mine/notes.txt"),
                                    path("mine/logo.ico"), path("mine/locked.ico")})
            QVERIFY(give(mine, You));
        QVERIFY(link(path("mine/notes.txt"), "shared/relay", Another));
        if (owner < 0) {
            writeFile(path("shared/logo.ico"), "OLD", QFile::ReadOwner | QFile::ReadOther);
            QVERIFY(give(path("shared/logo.ico"), You));
        } else {
            QVERIFY(link(path(to), "shared/logo.ico", owner));
        }
        const QString you = QString::number(You);
        const QString message = finish(
            startChild(path("shared"), "32", {path("src/logo.png")},
                       {"setpriv", "--reuid=" + you, "--regid=" + you, "--clear-groups", "--"}));
        QCOMPARE(readFile(path("mine/notes.txt")), QByteArray("NOTES"));
        QCOMPARE(readFile(path("mine/locked.ico")), QByteArray("OLD"));
        QCOMPARE(QDir(path("mine")).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"locked.ico", "logo.ico", "notes.txt"}));
        QCOMPARE(QDir(path("shared")).entryList(QDir::System | QDir::Files | QDir::Hidden),
                 QStringList({"logo.ico", "relay"}));
        QCOMPARE(QFileInfo(path("shared/logo.ico")).isSymLink(), owner >= 0);
        if (reason.isEmpty()) {
            QCOMPARE(message, QStringLiteral("Done."));
            QCOMPARE(iconColour(path("mine/logo.ico")), QColor(Qt::blue));
        } else {
            QVERIFY2(message.endsWith(path("src/logo.png") + " (" + reason + ")"),
                     qPrintable(message));
            QCOMPARE(readFile(path("mine/logo.ico")), QByteArray("OLD"));
            if (owner < 0)
                QCOMPARE(readFile(path("shared/logo.ico")), QByteArray("OLD"));
        }
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
