// The breadth-first folder walk and its rules for names and attribute values.
#include "FakeWalkSystem.h"
#include "TestSupport.h"
#include "core/RowSource.h"
#include "platform/FileSystem.h"
#include "scan/FolderWalk.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {
QStringList walk(const FakeTree &tree, QStringList start, bool recurse = true)
{
    FakeReporter reporter;
    GetSubDirectories2016(start, recurse, reporter, tree);
    return start;
}
} // namespace

class TestFolderWalk : public QObject
{
    Q_OBJECT

    static FakeTree sampleTree()
    {
        // /a holds b and c; b holds d; c holds e and f.
        FakeTree tree;
        tree.values["/a/"] = 16;
        tree.add("/a/", "b");
        tree.add("/a/", "c");
        tree.add("/a/b/", "d");
        tree.add("/a/c/", "e");
        tree.add("/a/c/", "f");
        return tree;
    }

private slots:
    void breadthFirstOrder()
    {
        const FakeTree tree = sampleTree();
        QCOMPARE(walk(tree, {"/a/"}),
                 (QStringList{"/a/", "/a/b/", "/a/c/", "/a/b/d/", "/a/c/e/", "/a/c/f/"}));
        QCOMPARE(walk(tree, {"/a/"}, false), (QStringList{"/a/", "/a/b/", "/a/c/"}));
        QCOMPARE(walk(tree, {"/a/b/d/"}), QStringList{"/a/b/d/"});
    }

    void attributeRule_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("output");
        QTest::addColumn<bool>("listed");
        QTest::newRow("plain") << 16 << true << true;
        QTest::newRow("hidden only") << 18 << true << true;
        QTest::newRow("hidden system") << 22 << false << false;
        QTest::newRow("hidden system junction") << 1046 << false << false;
        QTest::newRow("hidden system archive") << 54 << true << true;
    }

    void attributeRule()
    {
        QFETCH(int, value);
        QFETCH(bool, output);
        QFETCH(bool, listed);
        FakeTree tree;
        tree.values["/r/"] = 16;
        tree.add("/r/", "s", value);
        tree.add("/r/s/", "t");
        const QStringList result = walk(tree, {"/r/"});
        QCOMPARE(result.contains("/r/s/"), output);
        QCOMPARE(tree.listed.contains("/r/s/"), listed);
        QCOMPARE(result.contains("/r/s/t/"), listed);
    }

    void volumeRootPassesAsRoot()
    {
        FakeTree tree;
        tree.root = "/";
        tree.values["/"] = 22;
        tree.add("/", "home");
        QCOMPARE(walk(tree, {"/"}), (QStringList{"/", "/home/"}));
    }

    void foldersThatCannotBeListed_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("permission denied") << 70 << true;
        QTest::newRow("path not found") << 76 << true;
        QTest::newRow("other failure") << 75 << false;
    }

    void foldersThatCannotBeListed()
    {
        QFETCH(int, error);
        QFETCH(bool, dropped);
        FakeTree tree = sampleTree();
        tree.failures["/a/c/"] = error;
        QStringList expected{"/a/", "/a/b/", "/a/c/", "/a/b/d/", "/a/c/e/", "/a/c/f/"};
        if (dropped)
            expected.removeOne("/a/c/"); // what it listed before failing stays
        QCOMPARE(walk(tree, {"/a/"}), expected);

        FakeTree start = sampleTree();
        start.failures["/a/"] = error;
        QCOMPARE(walk(start, {"/a/"}).contains("/a/"), !dropped);
    }

    void entriesThatAreNoFolders()
    {
        FakeTree tree = sampleTree();
        tree.values["/file.png/"] = 32;
        QCOMPARE(walk(tree, {"/missing/", "/file.png/"}), (QStringList{"/missing/", "/file.png/"}));
    }

    void nameRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("taken");
        QTest::newRow("260 characters") << QString(260, 'n') << true;
        QTest::newRow("just below the system's limit") << QString(4095, 'n') << true;
        QTest::newRow("at the system's limit") << QString(4096, 'n') << false;
        QTest::newRow("at the limit, encoded") << QString(2048, QChar(0xE9)) << false;
        QTest::newRow("question mark") << "a?" << false;
        QTest::newRow("outside code page") << QString::fromUtf8("日本") << false;
        QTest::newRow("control character") << QString("a\x01") << false;
        QTest::newRow("latin-1") << QString::fromUtf8("Fotos März") << true;
    }

    void nameRules()
    {
        QFETCH(QString, name);
        QFETCH(bool, taken);
        FakeTree tree;
        tree.values["/r/"] = 16;
        tree.add("/r/", name);
        tree.add("/r/" + name + "/", "below");
        const QStringList result = walk(tree, {"/r/"});
        QCOMPARE(result.contains("/r/" + name + "/"), taken);
        const bool pathFits = ("/r/" + name + "/").toUtf8().size() < 4096;
        QCOMPARE(result.contains("/r/" + name + "/below/"), taken && pathFits);
    }

    void linksThatLoop_data()
    {
        QTest::addColumn<QStringList>("links"); // name, target relative to the root
        QTest::newRow("back to the root") << QStringList{"a/b/up", "."};
        QTest::newRow("two links to itself") << QStringList{"x", ".", "y", "."};
        QTest::newRow("to a sibling") << QStringList{"a/side", ".h"};
    }

    void linksThatLoop()
    {
        QFETCH(QStringList, links);
        QTemporaryDir dir;
        const QString root = dir.path() + '/';
        QDir().mkpath(root + "a/b");
        QDir().mkpath(root + ".h/c"); // hidden alone (18): walked
        for (qsizetype i = 0; i < links.size(); i += 2)
            QVERIFY(QFile::link(root + links[i + 1], root + links[i]));
        QStringList folders{root};
        FakeReporter reporter;
        GetSubDirectories2016(folders, true, reporter);
        // Each real folder once, by the first path that reaches it.
        QCOMPARE(folders.size(), 5);
        for (const char *f : {"", "a/", ".h/", "a/b/", ".h/c/"})
            QVERIFY2(folders.contains(root + f), f);
        QVERIFY(reporter.reports.isEmpty());
    }

    void deepFolders()
    {
        QTemporaryDir dir;
        QString deep = dir.path();
        for (int level = 0; level < 8; ++level) // far beyond 260 characters
            deep += '/' + QString(60, QChar('a' + level));
        writeFile(deep + "/bottom.png", "x");
        QStringList folders{dir.path() + '/'};
        FakeReporter reporter;
        GetSubDirectories2016(folders, true, reporter);
        QCOMPARE(folders.last(), deep + '/');
    }

    void filesOfTheTree_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("listed");
        QTest::newRow("plain file") << 32 << true;
        QTest::newRow("read-only") << 33 << true;
        QTest::newRow("hidden") << 34 << false;
        QTest::newRow("hidden read-only") << 35 << false;
        QTest::newRow("hidden system") << 38 << false;
        QTest::newRow("hidden alone") << 2 << false;
    }

    void filesOfTheTree()
    {
        QFETCH(int, value);
        QFETCH(bool, listed);
        FakeTree tree = sampleTree();
        tree.files["/a"] = {"x.png", "~x.png", "y.jpg", "z.PNG"};
        tree.files["/a/c/e"] = {"e.png"};
        tree.files["/a/b"] = {"b.png"};
        tree.values["/a/c/e/e.png"] = value;
        QStringList rows;
        FakeReporter reporter;
        walkFolderTree("/a", "*.png", {[&](const QStringList &paths) { rows << paths; }, {}},
                       reporter, NeverStop, tree);
        QStringList expected{"/a/x.png", "/a/z.PNG", "/a/b/b.png"};
        if (listed)
            expected << "/a/c/e/e.png";
        QCOMPARE(rows, expected);
    }

    void listFilesInFolder_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("png") << "*.png" << QStringList{".h.png", "a.png", "b.PNG", "link.png"};
        QTest::newRow("all") << "*.*" << QStringList{".h.png", "README", "a.png",
                                                     "b.PNG",  "c.jpg",  "link.png"};
        QTest::newRow("none") << "*.gif" << QStringList{};
    }

    void listFilesInFolder()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        for (const char *name : {"a.png", "b.PNG", "c.jpg", "README", ".h.png"})
            writeFile(dir.filePath(name), "x");
        QDir().mkpath(dir.filePath("sub.png"));
        QVERIFY(mkfifo(QFile::encodeName(dir.filePath("fifo.png")).constData(), 0600) == 0);
        QFile::link(dir.filePath("a.png"), dir.filePath("link.png"));
        QFile::link(dir.filePath("gone"), dir.filePath("dangling.png"));
        QStringList found = ListFilesInFolder(dir.path(), pattern);
        found.sort();
        QCOMPARE(found, names);
        QCOMPARE(ListFilesInFolder(dir.path() + '/', pattern).size(), names.size());
    }

    void isExistingFile()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a.png"), "x", QFile::WriteOwner); // not readable, still exists
        QVERIFY(mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600) == 0);
        QVERIFY(IsExistingFile(dir.filePath("a.png")));
        QVERIFY(!IsExistingFile(dir.path()));
        QVERIFY(!IsExistingFile(dir.path() + '/'));
        QVERIFY(!IsExistingFile(dir.filePath("missing")));
        QVERIFY(!IsExistingFile(dir.filePath("fifo"))); // answers at once, never blocks
    }

    void unsafeNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("unsafe");
        QTest::newRow("plain") << "pics" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("latin-1 letters") << QString::fromUtf8("Bücher é") << false;
        QTest::newRow("question mark") << "a?b" << true;
        QTest::newRow("control") << QString::fromUtf8("a\tb") << true;
        QTest::newRow("delete") << QString(QChar(127)) << true;
        QTest::newRow("euro maps to 128") << QString::fromUtf8("€") << true;
        QTest::newRow("en dash maps to 150") << QString::fromUtf8("a–b") << true;
        QTest::newRow("outside code page") << QString::fromUtf8("Ωmega") << true;
        QTest::newRow("CJK") << QString::fromUtf8("写真") << true;
    }

    void unsafeNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, unsafe);
        QCOMPARE(HasUnsafeCharacters(name), unsafe);
    }
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
