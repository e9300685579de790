// "Add All PNG File(s) In Folder": the tree rules and the two questions.
#include "FakeWalkSystem.h"
#include "TestSupport.h"
#include "filelist/AddFolder.h"
#include "platform/Settings.h"

#include <QTemporaryDir>
#include <QtTest>

class TestAddFolder : public QObject
{
    Q_OBJECT

private slots:
    void addFolderTreeRules()
    {
        QTemporaryDir dir;
        for (const char *name :
             {"a.png", "b.PNG", "c.jpg", "README", "~temp.png", ".hidden.png", "sub/d.png"})
            writeFile(dir.filePath(name), "x");
        writeFile(dir.filePath(".ro.png"), "x", QFile::ReadOwner); // hidden read-only: 35
        FakeReporter reporter;
        Rows png;
        addFolderTree(dir.path(), "*.png", png, reporter);
        png.rows.sort();
        QCOMPARE(png.rows, (QStringList{dir.filePath("a.png"), dir.filePath("b.PNG"),
                                        dir.filePath("sub/d.png")}));
        Rows all;
        addFolderTree(dir.path(), "*.*", all, reporter);
        QCOMPARE(all.rows.size(), 5);
        QVERIFY(all.rows.contains(dir.filePath("README")));
        QVERIFY(all.rows.indexOf(dir.filePath("sub/d.png")) == 4); // subfolders come last
    }

    void addAllFilesInFolderDialogs()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("pics/a.png"), "x");
        writeFile(dir.filePath("pics/b.txt"), "x");
        keepSettingsIn(dir.path());
        SettingsStore store;
        Settings settings(store);
        FakeDialogs dialogs;
        FakeReporter reporter;
        Rows rows;
        QList<int> pointers;
        bool converting = false;
        QStringList hints;
        const AddFolderServices services{dialogs,
                                         settings,
                                         rows,
                                         reporter,
                                         nullptr,
                                         "Quorbel",
                                         [&](int code) { pointers << code; },
                                         [&] { return converting; },
                                         [&](const QString &hint) { hints << hint; }};

        dialogs.inputAnswers << ""; // Cancel
        addAllFilesInFolder(services);
        QCOMPARE(store.read("Extension", "absent"), "absent");

        dialogs.inputAnswers << "txt"; // then cancel the picker
        addAllFilesInFolder(services);
        QCOMPARE(settings.extension(), QStringLiteral("txt"));
        QCOMPARE(store.read("LastFolder", "absent"), "absent");
        QVERIFY(rows.rows.isEmpty());
        QVERIFY(pointers.isEmpty());
        QVERIFY(dialogs.prompts.first().startsWith(
            "Enter file extension to load:\r\r(* for all files"));

        dialogs.inputAnswers << "png";
        dialogs.folderAnswers << dir.filePath("pics");
        addAllFilesInFolder(services);
        QCOMPARE(rows.rows, QStringList{dir.filePath("pics/a.png")});
        QCOMPARE(settings.lastFolder(), dir.filePath("pics"));
        QCOMPARE(pointers, (QList<int>{11, 0}));

        dialogs.inputAnswers << "png";
        dialogs.folderAnswers << dir.filePath("pics");
        addAllFilesInFolder(services); // twice: listed twice
        QCOMPARE(rows.rows.size(), 2);
        QCOMPARE(dialogs.startFolders.last(), dir.filePath("pics"));
        QVERIFY(reporter.reports.isEmpty());

        // During a batch the hourglass stays: it is the batch's removal guard.
        converting = true;
        pointers.clear();
        dialogs.inputAnswers << "png";
        dialogs.folderAnswers << dir.filePath("pics");
        addAllFilesInFolder(services);
        QCOMPARE(pointers, QList<int>{11});

        // A folder with nothing that matches says so, once, without a box.
        QVERIFY(hints.isEmpty());
        dialogs.inputAnswers << "gif";
        dialogs.folderAnswers << dir.filePath("pics");
        addAllFilesInFolder(services);
        QCOMPARE(hints, QStringList{"No files matching *.gif in " + dir.filePath("pics")});
        QCOMPARE(dialogs.messages.size(), 0);
    }

    void aFolderWhoseFilesCannotBeListed()
    {
        // /t holds a, b and c; the files of a and c cannot be listed.
        FakeTree tree;
        tree.values["/t/"] = 16;
        for (const char *name : {"a", "b", "c"}) {
            tree.add("/t/", name);
            tree.files[QStringLiteral("/t/") + name] = {QStringLiteral("x.png")};
        }
        tree.unreadable = {"/t/a", "/t/c"};
        QTemporaryDir dir;
        keepSettingsIn(dir.path());
        SettingsStore store;
        Settings settings(store);
        FakeDialogs dialogs;
        dialogs.inputAnswers << "png";
        dialogs.folderAnswers << "/t";
        FakeReporter reporter;
        Rows rows;
        addAllFilesInFolder({dialogs, settings, rows, reporter, nullptr, "Quorbel", [](int) {},
                             nullptr, nullptr, tree});
        QCOMPARE(rows.rows, QStringList{"/t/b/x.png"});
        QCOMPARE(reporter.reports.size(), 2);
        QVERIFY(reporter.reports.first().startsWith(
            "Permission denied\r\nin Tessiva2021/08/31.Form1.PushButton4_Click at line 118"));
    }
};

QTEST_GUILESS_MAIN(TestAddFolder)
#include "tst_addfolder.moc"
