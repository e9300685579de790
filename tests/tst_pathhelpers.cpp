// Path splitting and tidying in both flavours, the file procedures, and the
// small text rules around them.
#include "TestSupport.h"
#include "convert/CommandLine.h"
#include "convert/PathHelpers.h"
#include "convert/RowSource.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"
#include "scan/FolderWalk.h"

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
        WriteFile(file, "x", QFile::ReadOwner); // read-only
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
        WriteFile(existing, "old");
        WriteFileIfMissing("new and longer", existing);
        QCOMPARE(ReadFile(existing), QByteArray("old"));

        const QString fresh = dir.filePath(QStringLiteral("fresh.bin"));
        WriteFileIfMissing(QByteArray("\0raw\xff", 5), fresh);
        QCOMPARE(ReadFile(fresh), QByteArray("\0raw\xff", 5));
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

    void splitWindowsArguments_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("number") << "32" << QStringList{"32"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("blanks") << "  " << QStringList{};
        QTest::newRow("two") << "32 -flip" << QStringList{"32", "-flip"};
        QTest::newRow("quoted") << "\"a b\" c" << QStringList{"a b", "c"};
        QTest::newRow("escaped quote") << "a\\\"b" << QStringList{"a\"b"};
        QTest::newRow("backslashes kept") << "a\\\\b" << QStringList{"a\\\\b"};
        QTest::newRow("even backslashes then quote") << "\"a\\\\\" b" << QStringList{"a\\", "b"};
        QTest::newRow("empty quotes") << "\"\"" << QStringList{""};
    }
    void splitWindowsArguments()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        QCOMPARE(SplitWindowsArguments(text), arguments);
    }

    void converterArguments()
    {
        QCOMPARE(ConverterArguments("/a b/\"q\".png", true, "32", "/o/50%off.ico"),
                 (QStringList{"/a b/\"q\".png", "-resize", "32", "/o/50%%off.ico"}));
        QCOMPARE(ConverterArguments("/s.png", true, "", "/o/s.ico"),
                 (QStringList{"/s.png", "-resize", "/o/s.ico"}));
        QCOMPARE(ConverterArguments("/s.png", false, "", "/o/x%03d.ico"),
                 (QStringList{"/s.png", "/o/x%%03d.ico"}));
    }

    void toInt16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // -99999: an error
        QTest::newRow("five") << "5" << 5;
        QTest::newRow("blanks") << " 7 " << 7;
        QTest::newRow("fraction") << "2.6" << 3;
        QTest::newRow("half to even down") << "2.5" << 2;
        QTest::newRow("half to even up") << "3.5" << 4;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("max") << "32767" << 32767;
        QTest::newRow("overflow") << "32768" << -99999;
        QTest::newRow("word") << "big" << -99999;
        QTest::newRow("empty") << "" << -99999;
    }
    void toInt16()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        if (value == -99999)
            QVERIFY_THROWS_EXCEPTION(AppError, Settings::ToInt16(text));
        else
            QCOMPARE(Settings::ToInt16(text), value);
    }

    void toTruth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // 1 true, 0 false, -1 error
        QTest::newRow("True") << "True" << 1;
        QTest::newRow("tRUE") << "tRUE" << 1;
        QTest::newRow("False") << "FALSE" << 0;
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("minus one") << "-1" << 1;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("word") << "yes" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void toTruth()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        if (value < 0)
            QVERIFY_THROWS_EXCEPTION(AppError, Settings::ToTruth(text));
        else
            QCOMPARE(Settings::ToTruth(text), value == 1);
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

    void errorTrapGoesOn()
    {
        FakeReporter reporter;
        ErrorTrap trap(reporter, QStringLiteral("in Tessiva2021/08/31.Form1.Test "));
        QStringList ran;
        trap.run(100, [&] {
            ran << "100";
            throw AppError(5, QStringLiteral("Boom"));
        });
        trap.run(102, [&] { ran << "102"; });
        if (trap.test(104, [&]() -> bool { throw AppError(13, QStringLiteral("Type mismatch")); }))
            ran << "guarded";
        QCOMPARE(ran, (QStringList{"100", "102", "guarded"}));
        QCOMPARE(reporter.reports.size(), 2);
        QCOMPARE(reporter.reports.first(),
                 QStringLiteral("Boom\r\nin Tessiva2021/08/31.Form1.Test at line 100\r\n\r\n"
                                "Please email screenshot of this message to ") +
                     QLatin1String(SupportAddress));
        QVERIFY(reporter.reports.last().contains(QStringLiteral("at line 104")));
    }
};

QTEST_GUILESS_MAIN(TestPathHelpers)
#include "tst_pathhelpers.moc"
