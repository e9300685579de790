// Files and folders dropped on the list.
#include "TestSupport.h"
#include "filelist/FileDrops.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestFileDrops : public QObject
{
    Q_OBJECT

private slots:
    void drops()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a.png"), "x");
        writeFile(dir.filePath("b.txt"), "x");
        writeFile(dir.filePath("pics/a.png"), "x");
        writeFile(dir.filePath("pics/~tmp.png"), "x");
        writeFile(dir.filePath("pics/.secret"), "x");
        writeFile(dir.filePath("pics/sub/b.png"), "x");
        writeFile(dir.filePath(".cfg/c.png"), "x");
        QDir().mkpath(dir.filePath("empty"));
        Rows rows;
        FakeReporter reporter;
        ListView1_OLEDragDrop({dir.filePath("a.png"), dir.filePath("pics"), dir.filePath("b.txt"),
                               dir.filePath("empty"), dir.filePath(".cfg"), dir.filePath("gone")},
                              rows, reporter);
        // A hidden folder is walked like any folder the user chose.
        QCOMPARE(rows.rows, (QStringList{dir.filePath("a.png"), dir.filePath("pics/a.png"),
                                         dir.filePath("pics/sub/b.png"), dir.filePath("b.txt"),
                                         dir.filePath(".cfg/c.png"), dir.filePath("gone")}));
    }

    void unreadableFolderAndALoop()
    {
        if (const int child = rerunWithoutPermissionOverride(); child >= 0) {
            QCOMPARE(child, 0);
            return;
        }
        QTemporaryDir dir;
        writeFile(dir.filePath("t/a.png"), "x");
        writeFile(dir.filePath("t/locked-folder-nobody-may-read/l.png"), "x");
        writeFile(dir.filePath("t/z/z.png"), "x");
        // A long name reaches the old length limit before the kernel's limit of links.
        QVERIFY(
            QFile::link(dir.filePath("t"), dir.filePath("t/a-link-back-to-the-top-of-the-tree")));
        QVERIFY(QFile::setPermissions(dir.filePath("t/locked-folder-nobody-may-read"), {}));
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(dir.filePath("t/locked-folder-nobody-may-read"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        Rows rows;
        FakeReporter reporter;
        ListView1_OLEDragDrop({dir.filePath("t"), dir.filePath("after.png")}, rows, reporter);
        QCOMPARE(rows.rows, (QStringList{dir.filePath("t/a.png"), dir.filePath("t/z/z.png"),
                                         dir.filePath("after.png")}));
    }

    // Last: the request to quit stays for the rest of the process.
    void closingTheWindowEndsADrop()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 20; ++i)
            writeFile(dir.filePath(QStringLiteral("t/f%1/a.png").arg(i)), "x");
        Rows rows;
        FakeReporter reporter;
        QTimer::singleShot(0, [&] {
            // The last window closes at the walk's first chance to run events.
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
            QTest::qSleep(20);
            ListView1_OLEDragDrop({dir.filePath("t"), dir.filePath("after.png")}, rows, reporter);
        });
        QCoreApplication::exec();
        QCOMPARE(rows.rows, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestFileDrops)
#include "tst_filedrops.moc"
