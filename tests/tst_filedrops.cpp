// Files and folders dropped on the list.
#include "TestSupport.h"
#include "filelist/FileDrops.h"

#include <QTemporaryDir>
#include <QtTest>

class TestFileDrops : public QObject
{
    Q_OBJECT

private slots:
    void drops()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("a.png"), "x");
        WriteFile(dir.filePath("b.txt"), "x");
        WriteFile(dir.filePath("pics/a.png"), "x");
        WriteFile(dir.filePath("pics/~tmp.png"), "x");
        WriteFile(dir.filePath("pics/.secret"), "x");
        WriteFile(dir.filePath("pics/sub/b.png"), "x");
        WriteFile(dir.filePath(".cfg/c.png"), "x");
        QDir().mkpath(dir.filePath("empty"));
        Rows rows;
        FakeReporter reporter;
        ListView1_OLEDragDrop({dir.filePath("a.png"), dir.filePath("pics"), dir.filePath("b.txt"),
                               dir.filePath("empty"), dir.filePath(".cfg"), dir.filePath("gone")},
                              rows, reporter);
        QCOMPARE(rows.rows, (QStringList{dir.filePath("a.png"), dir.filePath("pics/a.png"),
                                         dir.filePath("pics/sub/b.png"), dir.filePath("b.txt"),
                                         dir.filePath(".cfg"), dir.filePath("gone")}));
    }
};

QTEST_GUILESS_MAIN(TestFileDrops)
#include "tst_filedrops.moc"
