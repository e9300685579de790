// Recording and loading the sample files.
#include "TestSupport.h"
#include "filelist/SampleFiles.h"
#include "platform/Settings.h"
#include "scan/FolderWalk.h"

#include <QTemporaryDir>
#include <QtTest>

class TestSampleFiles : public QObject
{
    Q_OBJECT

private slots:
    void sampleFiles()
    {
        QTemporaryDir dir;
        const QString app = dir.filePath("app");
        writeFile(app + "/Samples/a.png", "x");
        writeFile(app + "/Samples/b.png", "x");
        keepSettingsIn(dir.path());
        SettingsStore store;
        Settings settings(store);
        FakeDialogs dialogs;
        Rows rows;

        LoadSampleFiles(rows, settings, dialogs, nullptr, "Quorbel", app); // nothing recorded
        QVERIFY(rows.rows.isEmpty());
        QCOMPARE(dialogs.messages.size(), 1); // the question comes all the same

        RecordSampleFiles(settings, app);
        QStringList recorded = settings.snapshot().split('|');
        QCOMPARE(recorded, ListFilesInFolder(app + "/Samples", "*.*")
                               .replaceInStrings(QRegularExpression("^"), app + "/Samples/"));
        rows.rows << (app + "/Samples/A.PNG"); // differs in case only: still added
        LoadSampleFiles(rows, settings, dialogs, nullptr, "Quorbel", app);
        LoadSampleFiles(rows, settings, dialogs, nullptr, "Quorbel", app);
        QCOMPARE(rows.rows.size(), 3);
        QVERIFY(dialogs.openedFolders.isEmpty());
        QCOMPARE(dialogs.messages.last().text, SampleQuestion());
        QCOMPARE(dialogs.messages.last().title, QStringLiteral("Quorbel"));

        QFile::remove(app + "/Samples/a.png");
        writeFile(app + "/Samples/c.png", "x"); // added after recording: never loaded
        Rows fresh;
        dialogs.yesNoAnswers << true;
        LoadSampleFiles(fresh, settings, dialogs, nullptr, "Quorbel", app);
        QCOMPARE(fresh.rows, QStringList{app + "/Samples/b.png"});
        QCOMPARE(dialogs.openedFolders, QStringList{app + "/Samples/"});

        RecordSampleFiles(settings, dir.filePath("no-such-app"));
        QCOMPARE(settings.snapshot(), QString());
    }

    // Recorded elsewhere (the build tree before installing): the own folder counts.
    void recordOfFilesAllGone()
    {
        QTemporaryDir dir;
        const QString app = dir.filePath("app");
        writeFile(app + "/Samples/a.png", "x");
        writeFile(dir.filePath("build/Samples/old.png"), "x");
        keepSettingsIn(dir.path());
        SettingsStore store;
        Settings settings(store);
        RecordSampleFiles(settings, dir.filePath("build"));
        QFile::remove(dir.filePath("build/Samples/old.png"));
        FakeDialogs dialogs;
        Rows rows;
        LoadSampleFiles(rows, settings, dialogs, nullptr, "Quorbel", app);
        QCOMPARE(rows.rows, QStringList{app + "/Samples/a.png"});
        QCOMPARE(settings.snapshot(), app + "/Samples/a.png");
    }
};

QTEST_GUILESS_MAIN(TestSampleFiles)
#include "tst_samplefiles.moc"
