// The breadth-first folder walk and its rules for names and attribute values.
#include "FakeWalkSystem.h"
#include "TestSupport.h"
#include "core/RowSource.h"
#include "platform/FolderListing.h"
#include "scan/FolderWalk.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void makeParents(const QByteArray &path)
{
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        mkdir(path.left(slash).constData(), 0700);
}

bool writeBytes(const QByteArray &path)
{
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    return fd >= 0 && close(fd) == 0;
}

// The real system, with a folder swapped for a link to elsewhere the moment its
// parent has been listed: after it was found, before it is opened.
class SwappingSystem final : public WalkSystem
{
public:
    QString parent, name, target;
    FileSystem::SubfolderListing listSubfolders(const FileSystem::FolderPlace &place,
                                                FileSystem::OpenFolder *opened) const override
    {
        FileSystem::SubfolderListing listing = WalkSystem::listSubfolders(place, opened);
        if (place.path == parent) {
            QDir(parent).rename(name, name + ".moved");
            QFile::link(target, parent + name);
        }
        return listing;
    }
};

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

    // A real tree, walked without root's override of permissions. Setup lines:
    // "d:dir", "f:file", "l:link=target", "m:path=octal mode" (raw bytes: names
    // need not be UTF-8). Paths are relative to the tree's root.
    void walkTable_data()
    {
        QTest::addColumn<QByteArrayList>("setup");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("unreadable");
        QTest::addColumn<int>("undecodable");
        QTest::newRow("link out") << QByteArrayList{"f:c/a.png", "f:out/deep/x.png",
                                                    "l:c/docs=../out", "l:c/all=/",
                                                    "l:c/b.png=../out/deep/x.png"}
                                  << "c" << QStringList{"c/a.png", "c/b.png"} << QStringList{} << 0;
        QTest::newRow("chosen through a link")
            << QByteArrayList{"f:real/a.png", "f:real/s/b.png", "l:link=real", "l:real/s/up=.."}
            << "link" << QStringList{"link/a.png", "link/s/b.png"} << QStringList{} << 0;
        QTest::newRow("unreadable")
            << QByteArrayList{"f:c/a.png",      "f:c/m000/x.png",   "f:c/m311/x.png",
                              "f:c/m644/x.png", "f:c/m644/s/y.png", "m:c/m000=000",
                              "m:c/m311=311",   "m:c/m644=644"}
            << "c" << QStringList{"c/a.png"} << QStringList{"c/m000", "c/m311", "c/m644"} << 0;
        QTest::newRow("chosen unreadable") << QByteArrayList{"f:c/a.png", "m:c=000"} << "c"
                                           << QStringList{} << QStringList{"c"} << 0;
        QTest::newRow("non-Latin")
            << QByteArrayList{"f:c/фото/a.png", "f:c/日本/b.png", "f:c/😀/c.png",  "f:c/what?/d.png",
                              "f:c/\xff/e.png", "f:c/\xfe.png",   "f:c/.\xfd.png"}
            << "c" << QStringList{"c/what?/d.png", "c/фото/a.png", "c/日本/b.png", "c/😀/c.png"}
            << QStringList{} << 2;
        QTest::newRow("hidden") << QByteArrayList{"f:c/a.png", "f:c/.h.png", "f:c/.cache/t.png",
                                                  "f:c/s/.git/u.png"}
                                << "c" << QStringList{"c/a.png"} << QStringList{} << 0;
        QTest::newRow("chosen hidden") << QByteArrayList{"f:.c/a.png", "f:.c/.cache/t.png"} << ".c"
                                       << QStringList{".c/a.png"} << QStringList{} << 0;
        QTest::newRow("order") << QByteArrayList{"f:c/p10.png",  "f:c/p2.png",   "f:c/P1.png",
                                                 "f:c/b.png",    "f:c/A.png",    "f:c/d10/x.png",
                                                 "f:c/d9/x.png", "f:c/D1/x.png", "f:c/D1/s/x.png"}
                               << "c" << QStringList{"c/A.png",    "c/b.png",     "c/P1.png",
                                                     "c/p2.png",   "c/p10.png",   "c/D1/x.png",
                                                     "c/d9/x.png", "c/d10/x.png", "c/D1/s/x.png"}
                               << QStringList{} << 0;
    }

    void walkTable()
    {
        static const int child = rerunWithoutPermissionOverride();
        if (child >= 0) {
            QCOMPARE(child, 0);
            return;
        }
        QFETCH(QByteArrayList, setup);
        QFETCH(QString, chosen);
        QFETCH(QStringList, files);
        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path()) + '/';
        QByteArrayList locked;
        const auto unlock = qScopeGuard([&] {
            for (const QByteArray &path : std::as_const(locked))
                chmod(path.constData(), 0700);
            QProcess::execute("rm", {"-rf", "--", dir.path()}); // names Qt cannot name
        });
        for (const QByteArray &line : std::as_const(setup)) {
            const QByteArray rest = line.mid(2);
            const qsizetype equals = rest.indexOf('=');
            const QByteArray path = root + (equals < 0 ? rest : rest.left(equals));
            const QByteArray value = equals < 0 ? QByteArray() : rest.mid(equals + 1);
            if (line.startsWith("f:")) {
                makeParents(path);
                QVERIFY(writeBytes(path));
            } else if (line.startsWith("l:")) {
                makeParents(path);
                QVERIFY(symlink(value.constData(), path.constData()) == 0);
            } else if (line.startsWith("m:")) {
                QVERIFY(chmod(path.constData(), mode_t(value.toUInt(nullptr, 8))) == 0);
                locked.prepend(path);
            }
        }
        QStringList rows;
        FakeReporter reporter;
        const WalkGaps gaps =
            walkFolderTree(dir.filePath(chosen), "*.png",
                           {[&](const QStringList &paths) { rows << paths; }, {}}, reporter);
        const QString prefix = dir.path() + '/';
        QCOMPARE(rows.replaceInStrings(prefix, QString()), files);
        QStringList unreadable;
        for (const WalkGaps::Folder &folder : gaps.unreadable) {
            unreadable << folder.path.mid(prefix.size());
            QCOMPARE(folder.reason, QStringLiteral("Permission denied"));
        }
        QTEST(unreadable, "unreadable");
        QTEST(gaps.undecodable, "undecodable");
        QVERIFY(reporter.reports.isEmpty());
    }

    // Each real folder once, by the first path that reaches it.
    void linksThatLoop()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + '/';
        QDir().mkpath(root + "a/b");
        QVERIFY(QFile::link(root, root + "a/b/up"));
        QStringList folders{root + "a/b/up/"}; // chosen through the link
        FakeReporter reporter;
        GetSubDirectories2016(folders, true, reporter);
        QCOMPARE(folders,
                 (QStringList{root + "a/b/up/", root + "a/b/up/a/", root + "a/b/up/a/b/"}));
    }

    void folderSwappedForALink()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + '/';
        writeFile(root + "tree/a/b/mine.png", "x");
        writeFile(root + "elsewhere/deep/secret.png", "x");
        SwappingSystem system;
        system.parent = root + "tree/a/";
        system.name = "b";
        system.target = root + "elsewhere";
        QStringList rows;
        FakeReporter reporter;
        walkFolderTree(root + "tree", "*.png",
                       {[&](const QStringList &paths) { rows << paths; }, {}}, reporter, NeverStop,
                       system);
        QCOMPARE(rows, QStringList{});
    }

    // More folders on one level than the walk keeps open: the rest are found again.
    void wideLevel()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 300; ++i)
            QDir().mkpath(dir.filePath(QStringLiteral("a%1/s").arg(i)));
        QStringList folders{dir.path() + '/'};
        FakeReporter reporter;
        GetSubDirectories2016(folders, true, reporter);
        QCOMPARE(folders.size(), 601);
        QCOMPARE(folders.last(), dir.path() + "/a299/s/");
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

    void unsafeNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("unsafe");
        QTest::newRow("plain") << "pics" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("latin-1 letters") << QString::fromUtf8("Bücher é") << false;
        QTest::newRow("question mark") << "a?b" << false;
        QTest::newRow("euro") << QString::fromUtf8("€") << false;
        QTest::newRow("CJK") << QString::fromUtf8("写真") << false;
        QTest::newRow("control") << QString::fromUtf8("a\tb") << true;
        QTest::newRow("delete") << QString(QChar(127)) << true;
        QTest::newRow("C1 control") << QString(QChar(0x85)) << true;
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
