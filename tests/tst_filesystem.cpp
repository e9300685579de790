// Attribute values and wildcards on a real disk.
#include "TestSupport.h"
#include "platform/FileSystem.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

class TestFileSystem : public QObject
{
    Q_OBJECT

private slots:
    void attributeValues()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("plain.png"), "x");
        WriteFile(dir.filePath(".hidden.png"), "x");
        WriteFile(dir.filePath(".ro.png"), "x", QFile::ReadOwner);
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
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
