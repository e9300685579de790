// The settings store's number and truth conversions.
#include "TestSupport.h"
#include "platform/AppError.h"
#include "platform/Settings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {
struct HeardTrouble final : SettingsTrouble
{
    QStringList heard;
    void cannotSave(const QString &fileName, const QString &reason) override
    {
        heard << fileName + ": " + reason;
    }
};
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void sixteenBitNumbers_data()
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

    void sixteenBitNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        if (value == -99999)
            QVERIFY_THROWS_EXCEPTION(AppError, Settings::toInt16(text));
        else
            QCOMPARE(Settings::toInt16(text), value);
    }

    void truthValues_data()
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

    void truthValues()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        if (value < 0)
            QVERIFY_THROWS_EXCEPTION(AppError, Settings::toTruth(text));
        else
            QCOMPARE(Settings::toTruth(text), value == 1);
    }

    void handEditedTextsReadAsFound_data()
    {
        QTest::addColumn<QByteArray>("value"); // as typed into the file
        QTest::addColumn<QString>("text");
        QTest::newRow("comma") << QByteArray("/tmp/a,b/") << "/tmp/a,b/";
        QTest::newRow("comma and blank") << QByteArray("/tmp/a, b/") << "/tmp/a, b/";
        QTest::newRow("trailing comma") << QByteArray("a,") << "a,";
        QTest::newRow("semicolon") << QByteArray("/tmp/a;b/") << "/tmp/a;b/";
        QTest::newRow("accents and comma") << QByteArray("/tmp/caf\xc3\xa9,1/") << "/tmp/café,1/";
        QTest::newRow("plain") << QByteArray("/tmp/x/") << "/tmp/x/";
        QTest::newRow("empty") << QByteArray() << "";
    }

    void handEditedTextsReadAsFound()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, text);
        QTemporaryDir dir;
        keepSettingsIn(dir.path());
        SettingsStore store;
        writeFile(store.fileName(), "[General]\nText2=32\nText1=" + value + "\n");
        QCOMPARE(Settings(store).text1("default"), text);
    }

    void ownTextsComeBack_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text :
             {"/tmp/a,b/", " blanks ", "a\\b\"c;d", "@x", "café", "a\"b", "#x", "[x]", "x=y", "",
              "tab\there", "a, b", "\"quoted\"", "C:\\pics\\new", "two\nlines", ";lead", "'q'"})
            QTest::newRow(text) << QString::fromUtf8(text);
    }

    void ownTextsComeBack()
    {
        QFETCH(QString, text);
        QTemporaryDir dir;
        keepSettingsIn(dir.path());
        SettingsStore store;
        store.write("Text1", text);
        QCOMPARE(store.read("Text1", "default"), text);
    }

    // Storing a value rewrites its own line and no other, whatever the file holds.
    void storingKeepsOtherLines()
    {
        const QByteArray before = "; kept by hand\n"
                                  "[General]\n"
                                  "LastFolder=/x/c;d\n"
                                  "Text1=/tmp/a,b/\n"
                                  "Extension=\"p,n\"\n"
                                  "Icon%20Size=3\n"
                                  "Unknown = left alone \n"
                                  "Text2=24\n"
                                  "\n"
                                  "[Other]\n"
                                  "Text2=in another section\n";
        QTemporaryDir dir;
        keepSettingsIn(dir.path());
        SettingsStore store;
        writeFile(store.fileName(), before);
        Settings settings(store);
        settings.setText2(" 16, 32;48 ");
        settings.setSnapshot("/app/Samples/a.png|/app/Samples/b,c.png");
        settings.setLastFolderDot("C:\\old");
        QByteArray after = before;
        after.replace("Text2=24\n", "Text2= 16, 32;48 \nSnapshot=/app/Samples/a.png|/app/Samples/"
                                    "b,c.png\nLastFolderDot=C:\\\\old\n");
        QCOMPARE(readFile(store.fileName()), after);
        QCOMPARE(settings.lastFolder(), "/x/c;d");
        QCOMPARE(settings.text1("default"), "/tmp/a,b/");
        QCOMPARE(settings.extension(), "p,n"); // an earlier version's quoted form
        QCOMPARE(settings.iconSize(), 3);
        QCOMPARE(settings.text2(), " 16, 32;48 ");
        QCOMPARE(settings.lastFolderDot(), "C:\\old");
        settings.setLastFolder("/y");
        after.replace("LastFolder=/x/c;d", "LastFolder=/y");
        QCOMPARE(readFile(store.fileName()), after);
    }

    void newFile()
    {
        QTemporaryDir dir;
        keepSettingsIn(dir.filePath("sub"));
        SettingsStore store;
        QCOMPARE(store.read("Icon Size", "absent"), "absent");
        Settings(store).setIconSize(5);
        QCOMPARE(readFile(store.fileName()), QByteArray("[General]\nIcon%20Size=5\n"));
        QCOMPARE(store.read("Icon Size", "absent"), "5");
    }

    // The line endings, repeats and comments a hand-edited file may hold.
    void fileForms_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QByteArray>("after"); // once "new" is stored under `key`
        QTest::newRow("no final line end") << QByteArray("[General]\nText2=24") << "Text2"
                                           << "24" << QByteArray("[General]\nText2=new");
        QTest::newRow("new key, no final line end")
            << QByteArray("[General]\nText2=24") << "Text1"
            << "<absent>" << QByteArray("[General]\nText2=24\nText1=new");
        QTest::newRow("key twice: the last counts")
            << QByteArray("[General]\nText2=1\nText2=2\n") << "Text2"
            << "2" << QByteArray("[General]\nText2=1\nText2=new\n");
        QTest::newRow("commented out")
            << QByteArray("[General]\n;Text1=a\n#Text1=b\n") << "Text1"
            << "<absent>" << QByteArray("[General]\n;Text1=a\n#Text1=b\nText1=new\n");
    }

    void fileForms()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, key);
        QTemporaryDir dir;
        keepSettingsIn(dir.path());
        SettingsStore store;
        writeFile(store.fileName(), before);
        QTEST(store.read(key, "<absent>"), "found");
        store.write(key, "new");
        QTEST(readFile(store.fileName()), "after");
        QCOMPARE(store.read(key, "<absent>"), "new");
    }

    // Stored exactly as QSettings stores it, with no temporary folder to lean on.
    void escapedWithoutTemporaryFolder_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text :
             {"/x/my\\folder\\new", "two\nlines", "\"q\"", "@x", " lead\\", "x;y\\",
              "\x01"
              "9a",
              "caf\xc3\xa9\\", "\xf0\x9f\x98\x80\t"})
            QTest::newRow(text) << QString::fromUtf8(text);
        QTest::newRow("NUL") << QString("a\\") + QChar(0) + "b";
    }

    void escapedWithoutTemporaryFolder()
    {
        // A temporary folder we may not write stands for a missing or a full one.
        static const int child = rerunWithoutPermissionOverride();
        if (child >= 0) {
            QCOMPARE(child, 0);
            return;
        }
        QFETCH(QString, text);
        QTemporaryDir dir;
        keepSettingsIn(dir.path());
        const QString reference = dir.filePath("reference.conf");
        QSettings(reference, QSettings::IniFormat).setValue("Text1", text);
        SettingsStore store;
        const QByteArray tmpdir = qgetenv("TMPDIR");
        QDir().mkdir(dir.filePath("temp"));
        QFile::setPermissions(dir.filePath("temp"), QFile::ReadOwner | QFile::ExeOwner);
        qputenv("TMPDIR", QFile::encodeName(dir.filePath("temp")));
        store.write("Text1", text);
        qputenv("TMPDIR", tmpdir);
        QCOMPARE(readFile(store.fileName()), readFile(reference));
        QCOMPARE(store.read("Text1", "default"), text);
    }

    // A file we may not read or write is left as it is, and that is said once.
    void fileThatCannotBeKept_data()
    {
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("kept");
        QTest::newRow("write only") << 0200 << 0700 << false;
        QTest::newRow("read only") << 0400 << 0700 << false;
        QTest::newRow("folder read only") << 0600 << 0500 << false;
        QTest::newRow("ours") << 0600 << 0700 << true;
    }

    void fileThatCannotBeKept()
    {
        static const int child = rerunWithoutPermissionOverride();
        if (child >= 0) {
            QCOMPARE(child, 0);
            return;
        }
        QFETCH(int, fileMode);
        QFETCH(int, folderMode);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        keepSettingsIn(dir.path());
        HeardTrouble trouble;
        SettingsStore store;
        store.tellTroubleTo(&trouble);
        const QString file = store.fileName();
        const QByteArray before = "[General]\nText1=/x/\nIcon%20Size=2\n";
        writeFile(file, before);
        const QByteArray folder = QFile::encodeName(QFileInfo(file).path());
        chmod(QFile::encodeName(file).constData(), mode_t(fileMode));
        chmod(folder.constData(), mode_t(folderMode));
        Settings settings(store);
        settings.setIconSize(3);
        settings.setText2("16");
        chmod(folder.constData(), 0700);
        chmod(QFile::encodeName(file).constData(), 0600);
        if (kept) {
            QVERIFY(trouble.heard.isEmpty());
            QCOMPARE(readFile(file), "[General]\nText1=/x/\nIcon%20Size=3\nText2=16\n");
        } else {
            QCOMPARE(readFile(file), before);
            QCOMPARE(trouble.heard.size(), 1);
            QVERIFY2(trouble.heard.first().startsWith(file + ": "),
                     qPrintable(trouble.heard.first()));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
