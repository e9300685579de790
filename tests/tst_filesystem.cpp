// Attribute values and wildcards on a real disk.
#include "TestSupport.h"
#include "platform/FileAttributes.h"
#include "platform/FolderListing.h"
#include "platform/KnownFolders.h"
#include "platform/WildcardMatch.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

class TestFileSystem : public QObject
{
    Q_OBJECT

private slots:
    void attributeValues()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("plain.png"), "x");
        writeFile(dir.filePath(".hidden.png"), "x");
        writeFile(dir.filePath(".ro.png"), "x", QFile::ReadOwner);
        QFile::link(dir.filePath("plain.png"), dir.filePath("link.png"));
        QCOMPARE(FileSystem::attributes(dir.filePath("plain.png")), 32);
        QCOMPARE(FileSystem::attributes(dir.filePath(".hidden.png")), 34);
        QCOMPARE(FileSystem::attributes(dir.filePath(".ro.png")), 35);
        QCOMPARE(FileSystem::attributes(dir.filePath("link.png")), 32 | 1024);
        QCOMPARE(FileSystem::attributes(dir.path()) & 16, 16);
        QCOMPARE(FileSystem::attributes(dir.filePath("missing")), -1);
        if (QFileInfo::exists("/proc/self"))
            QCOMPARE(FileSystem::attributes("/proc"), 22);
        QVERIFY(FileSystem::isVolumeRoot("/"));
        QVERIFY(!FileSystem::isVolumeRoot(dir.path()));
    }

    void wildcards_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("ext") << "*.png"
                             << "a.png" << true;
        QTest::newRow("ext any case") << "*.png"
                                      << "B.PNG" << true;
        QTest::newRow("other ext") << "*.png"
                                   << "c.jpg" << false;
        QTest::newRow("all") << "*.*"
                             << "README" << true;
        QTest::newRow("question") << "?.png"
                                  << "a.png" << true;
        QTest::newRow("question too short") << "?.png"
                                            << ".png" << false;
        QTest::newRow("double dot") << "*..png"
                                    << "a..png" << true;
        QTest::newRow("double dot no") << "*..png"
                                       << "a.png" << false;
        QTest::newRow("star in middle") << "a*z.png"
                                        << "abcz.png" << true;
    }

    void wildcards()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(FileSystem::wildcardMatch(pattern, name), matches);
    }

    // Many systems have no desktop folder; the home folder stands in for it.
    void desktopFolder_data()
    {
        QTest::addColumn<QString>("made"); // under the home folder
        QTest::addColumn<QString>("userDirs");
        QTest::addColumn<QString>("desktop");
        QTest::newRow("none") << ""
                              << ""
                              << "";
        QTest::newRow("Desktop") << "Desktop"
                                 << ""
                                 << "Desktop/";
        QTest::newRow("named by user-dirs") << "Schreibtisch"
                                            << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                            << "Schreibtisch/";
        QTest::newRow("named but missing") << ""
                                           << "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
                                           << "";
    }

    void desktopFolder()
    {
        QFETCH(QString, made);
        QFETCH(QString, userDirs);
        QTemporaryDir dir;
        const QString home = dir.filePath("home");
        QDir().mkpath(home + '/' + made);
        if (!userDirs.isEmpty())
            writeFile(home + "/.config/user-dirs.dirs", userDirs.toUtf8());
        const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        const QString answer = FileSystem::desktopFolderPath();
        qputenv("HOME", oldHome);
        if (!oldConfig.isNull())
            qputenv("XDG_CONFIG_HOME", oldConfig);
        QFETCH(QString, desktop);
        QCOMPARE(answer, home + '/' + desktop);
    }

    void namesThatDoNotDecodeAreLeftOut()
    {
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path());
        writeFile(dir.filePath("ok.png"), "x");
        QDir().mkpath(dir.filePath("sub"));
        // Latin-1 bytes: no UTF-8 text names these.
        const int fd = ::open(base + "/caf\xe9.png", O_CREAT | O_WRONLY, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
        QCOMPARE(::mkdir(base + "/caf\xe9", 0700), 0);
        QCOMPARE(FileSystem::listFiles(dir.path() + '/', "*.*"), QStringList{"ok.png"});
        QCOMPARE(FileSystem::listSubfolders(dir.path() + '/').names, QStringList{"sub"});
    }

    // A staging candidate that cannot hold the work gives way to the next one.
    void stagingGivesWay_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QString>("state");
        for (const char *variable : {"TEMP", "XDG_RUNTIME_DIR", "TMPDIR"})
            for (const char *state : {"missing", "a file", "not writable"})
                QTest::addRow("%s %s", variable, state) << QByteArray(variable) << state;
    }

    void stagingGivesWay()
    {
        static const int child = rerunWithoutPermissionOverride();
        if (child >= 0) {
            QCOMPARE(child, 0);
            return;
        }
        QFETCH(QByteArray, variable);
        QFETCH(QString, state);
        QTemporaryDir dir;
        const QString bad = dir.filePath("bad");
        if (state == "a file")
            writeFile(bad, "x");
        else if (state == "not writable")
            QVERIFY(QDir().mkdir(bad) && chmod(QFile::encodeName(bad).constData(), 0500) == 0);
        QDir().mkdir(dir.filePath("runtime"));
        QDir().mkdir(dir.filePath("system"));
        const QString uid = QString::number(geteuid());
        // Each variable's next candidate: a usable one, or the last resort.
        const QList<std::pair<QByteArray, QString>> candidates{
            {"TEMP", dir.filePath("runtime")},
            {"XDG_RUNTIME_DIR", dir.filePath("system") + "/quorbel-" + uid},
            {"TMPDIR", "/tmp/quorbel-" + uid}};
        QString expected;
        bool before = true;
        const auto restore = qScopeGuard([] {
            for (const char *name : {"TEMP", "XDG_RUNTIME_DIR", "TMPDIR"})
                qunsetenv(name);
        });
        for (const auto &[name, next] : candidates) {
            if (name == variable) {
                qputenv(name, QFile::encodeName(bad));
                expected = next;
                before = false;
            } else if (before) {
                qunsetenv(name);
            } else {
                qputenv(name, QFile::encodeName(name == "TMPDIR" ? dir.filePath("system")
                                                                 : dir.filePath("runtime")));
            }
        }
        const QString folder = FileSystem::stagingFolder();
        QVERIFY2(folder == expected || folder.startsWith(expected + '-'), qPrintable(folder));
        QVERIFY(!QFile::exists(bad + "/quorbel-" + uid));
    }

    // Something else under the private folder's name is left alone; a fresh private
    // folder beside it is used, and found again by the next look.
    void squattedPrivateName_data()
    {
        QTest::addColumn<QString>("squatter");
        for (const char *squatter :
             {"a file", "a folder others may enter", "a link to ours", "another user's folder"})
            QTest::newRow(squatter) << squatter;
    }

    void squattedPrivateName()
    {
        QFETCH(QString, squatter);
        QTemporaryDir dir;
        const QString name = dir.filePath("quorbel-" + QString::number(geteuid()));
        const QByteArray encoded = QFile::encodeName(name);
        if (squatter == "a file") {
            writeFile(name, "mine");
        } else if (squatter == "a link to ours") {
            QDir().mkdir(dir.filePath("ours"));
            chmod(QFile::encodeName(dir.filePath("ours")).constData(), 0700);
            QVERIFY(QFile::link(dir.filePath("ours"), name));
        } else {
            QVERIFY(QDir().mkdir(name));
            chmod(encoded.constData(), 0777);
            if (squatter == "another user's folder") {
                chmod(encoded.constData(), 0700);
                if (chown(encoded.constData(), 54321, 54321) != 0)
                    QSKIP("no other user's folder can be made here");
            }
        }
        struct stat before;
        QVERIFY(lstat(encoded.constData(), &before) == 0);
        qunsetenv("TEMP");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(dir.path()));
        const auto restore = qScopeGuard([] { qunsetenv("TMPDIR"); });
        const QString folder = FileSystem::stagingFolder();
        QVERIFY2(folder.startsWith(name + '-'), qPrintable(folder));
        QCOMPARE(QFileInfo(folder).ownerId(), geteuid());
        QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFile::Permissions());
        QCOMPARE(FileSystem::stagingFolder(), folder);
        struct stat after;
        QVERIFY(lstat(encoded.constData(), &after) == 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_ino, before.st_ino);
    }

    // With HOME unset: the password database's home, else the current folder, never /.
    void homeFolder_data()
    {
        QTest::addColumn<QString>("passwordHome");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("home");
        const QString existing = QDir::tempPath();
        QTest::newRow("from the password database") << existing << "/w" << existing;
        QTest::newRow("the database's is the root") << "/"
                                                    << "/w"
                                                    << "/w";
        QTest::newRow("the database's is missing") << "/no/such/home"
                                                   << "/w"
                                                   << "/w";
        QTest::newRow("none in the database") << ""
                                              << "/w"
                                              << "/w";
        QTest::newRow("started in the root") << ""
                                             << "/"
                                             << "";
    }

    void homeFolder()
    {
        QFETCH(QString, passwordHome);
        QFETCH(QString, current);
        QTEST(FileSystem::homeFolderFor(passwordHome, current), "home");
    }

    void homeUnsetIsSettled()
    {
        const QByteArray home = qgetenv("HOME");
        const auto restore = qScopeGuard([&] { qputenv("HOME", home); });
        qunsetenv("HOME");
        FileSystem::settleHomeFolder();
        const passwd *user = getpwuid(geteuid());
        QVERIFY(user);
        const QByteArray database(user->pw_dir);
        QCOMPARE(qgetenv("HOME"),
                 database == "/" ? QFile::encodeName(QDir::currentPath()) : database);
        QVERIFY(!QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                     .startsWith("/.config"));
    }
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
