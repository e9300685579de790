// Path splitting and tidying, and the file procedures.
#include "TestSupport.h"
#include "core/PathHelpers.h"
#include "core/RowSource.h"

#include <QTemporaryDir>
#include <QtTest>

class TestPathHelpers : public QObject
{
    Q_OBJECT

private slots:
    void fileNameAndFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("folder");
        QTest::newRow("full path") << "/img/a.png"
                                   << "a.png"
                                   << "/img/";
        QTest::newRow("bare name") << "a.png"
                                   << "a.png"
                                   << "";
        QTest::newRow("folder only") << "/img/"
                                     << ""
                                     << "/img/";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("doubled lead") << "//srv/share/x.png"
                                      << "x.png"
                                      << "//srv/share/";
        // A backslash is an ordinary character in a name.
        QTest::newRow("backslash") << "/img/a\\b.png"
                                   << "a\\b.png"
                                   << "/img/";
    }

    void fileNameAndFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, fileName);
        QFETCH(QString, folder);
        QCOMPARE(FileNameOf(path), fileName);
        QCOMPARE(FolderOf(path), folder);
    }

    void stripExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stripped");
        QTest::newRow("simple") << "a.png"
                                << "a";
        QTest::newRow("two dots") << "photo.large.png"
                                  << "photo.large";
        QTest::newRow("leading dot only") << ".png"
                                          << ".png";
        QTest::newRow("trailing dot") << "a."
                                      << "a";
        QTest::newRow("no dot") << "noext"
                                << "noext";
        QTest::newRow("empty") << ""
                               << "";
    }

    void stripExtension()
    {
        QFETCH(QString, name);
        QFETCH(QString, stripped);
        QCOMPARE(StripExtension(name), stripped);
    }

    void collapseBackslashes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("collapsed");
        QTest::newRow("doubled inside") << "D:/out//a.ico"
                                        << "D:/out/a.ico";
        QTest::newRow("three become two") << "a///b"
                                          << "a//b";
        QTest::newRow("four become two") << "a////b"
                                         << "a//b";
        QTest::newRow("network path") << "//server/share//a.ico"
                                      << "/server/share/a.ico";
        QTest::newRow("one leading") << "/a.ico"
                                     << "/a.ico";
        QTest::newRow("lone separator") << "/"
                                        << "/";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("root join") << "C://a.png"
                                   << "C:/a.png";
    }

    void collapseBackslashes()
    {
        QFETCH(QString, path);
        QFETCH(QString, collapsed);
        QCOMPARE(CollapseBackslashes(path), collapsed);
    }

    void fileProcedures()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.png"));
        writeFile(file, "x", QFile::ReadOwner); // read-only
        QVERIFY(!PathExists(QString()));
        QVERIFY(PathExists(file));
        QVERIFY(!IsFolder(file));
        QVERIFY(IsFolder(dir.path()));
        QVERIFY(!IsFolder(QString()));
        QVERIFY(!IsFolder(dir.filePath(QStringLiteral("missing"))));
    }

    void listContains()
    {
        Rows list;
        QVERIFY(!ListContains(list, QStringLiteral("a")));
        list.rows = {QStringLiteral("/p/A.png"), QStringLiteral("/p/b.png")};
        QVERIFY(ListContains(list, QStringLiteral("/p/b.png")));
        QVERIFY(!ListContains(list, QStringLiteral("/p/a.png")));
    }
};

QTEST_GUILESS_MAIN(TestPathHelpers)
#include "tst_pathhelpers.moc"
