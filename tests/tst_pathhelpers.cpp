// Path splitting and tidying in both flavours, and the file procedures.
#include "TestSupport.h"
#include "core/PathHelpers.h"
#include "core/RowSource.h"
#include "platform/FileSystem.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// Windows-flavour examples become POSIX ones by swapping the separator.
QString posix(QString text)
{
    return text.replace(QLatin1Char('\\'), QLatin1Char('/'));
}
} // namespace

class TestPathHelpers : public QObject
{
    Q_OBJECT

private slots:
    void fileNameAndFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("folder");
        QTest::newRow("full path") << "C:\\img\\a.png"
                                   << "a.png"
                                   << "C:\\img\\";
        QTest::newRow("bare name") << "a.png"
                                   << "a.png"
                                   << "";
        QTest::newRow("folder only") << "C:\\img\\"
                                     << ""
                                     << "C:\\img\\";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("network") << "\\\\srv\\share\\x.png"
                                 << "x.png"
                                 << "\\\\srv\\share\\";
    }

    void fileNameAndFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, fileName);
        QFETCH(QString, folder);
        QCOMPARE(FileNameOf(path, PathFlavour::Windows), fileName);
        QCOMPARE(FolderOf(path, PathFlavour::Windows), folder);
        QCOMPARE(FileNameOf(posix(path), PathFlavour::Posix), posix(fileName));
        QCOMPARE(FolderOf(posix(path), PathFlavour::Posix), posix(folder));
        // A forward slash is an ordinary character in the Windows flavour.
        QCOMPARE(FileNameOf(QStringLiteral("a/b.png"), PathFlavour::Windows),
                 QStringLiteral("a/b.png"));
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
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("posixResult");
        QTest::newRow("doubled inside") << "D:\\out\\\\a.ico"
                                        << "D:\\out\\a.ico"
                                        << "D:/out/a.ico";
        QTest::newRow("three become two") << "a\\\\\\b"
                                          << "a\\\\b"
                                          << "a//b";
        QTest::newRow("four become two") << "a\\\\\\\\b"
                                         << "a\\\\b"
                                         << "a//b";
        QTest::newRow("network path") << "\\\\server\\share\\\\a.ico"
                                      << "\\\\server\\share\\a.ico"
                                      << "/server/share/a.ico";
        QTest::newRow("one leading") << "\\a.ico"
                                     << "\\\\a.ico"
                                     << "/a.ico";
        QTest::newRow("lone separator") << "\\"
                                        << "\\\\"
                                        << "/";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("root join") << "C:\\\\a.png"
                                   << "C:\\a.png"
                                   << "C:/a.png";
    }

    void collapseBackslashes()
    {
        QFETCH(QString, path);
        QFETCH(QString, windows);
        QFETCH(QString, posixResult);
        QCOMPARE(CollapseBackslashes(path, PathFlavour::Windows), windows);
        QCOMPARE(CollapseBackslashes(posix(path), PathFlavour::Posix), posixResult);
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

        DeleteFileSafe(dir.filePath(QStringLiteral("missing"))); // silent
        DeleteFileSafe(file);
        QVERIFY(!PathExists(file));

        const QString existing = dir.filePath(QStringLiteral("keep.bin"));
        writeFile(existing, "old");
        WriteFileIfMissing("new and longer", existing);
        QCOMPARE(readFile(existing), QByteArray("old"));

        const QString fresh = dir.filePath(QStringLiteral("fresh.bin"));
        WriteFileIfMissing(QByteArray("\0raw\xff", 5), fresh);
        QCOMPARE(readFile(fresh), QByteArray("\0raw\xff", 5));
        QVERIFY(QFileInfo(fresh).permissions() & QFile::ExeOwner);
        QVERIFY(!(QFileInfo(fresh).permissions() & (QFile::ReadGroup | QFile::ReadOther)));

        QVERIFY_THROWS_EXCEPTION(
            AppError, WriteFileIfMissing("x", dir.filePath(QStringLiteral("no/such/dir"))));
    }

    void writeNeverFollowsALink()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("victim"));
        const QString link = dir.filePath(QStringLiteral("emfconvert.exe"));
        QVERIFY(QFile::link(target, link)); // dangling: PathExists says no
        QVERIFY(!PathExists(link));
        QVERIFY_THROWS_EXCEPTION(AppError, WriteFileIfMissing("payload", link));
        QVERIFY(!QFileInfo::exists(target));
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
