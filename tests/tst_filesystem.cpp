// Attribute values and wildcards on a real disk.
#include "TestSupport.h"
#include "platform/FileAttributes.h"
#include "platform/FolderListing.h"
#include "platform/KnownFolders.h"
#include "platform/WildcardMatch.h"

#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
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
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
