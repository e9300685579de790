// Attribute values and wildcards on a real disk.
#include "TestSupport.h"
#include "platform/FileSystem.h"

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
