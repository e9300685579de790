// The batch's accounting: every row of a batch is named in its summary, and a
// designer's picture counts as converted only when an icon holds it.
#include "BatchFakes.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

class TestBatchAccounting : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_destinations = 0;

private slots:
    void init()
    {
        QDir().mkpath(m_dir.filePath("temp"));
        qputenv("TEMP", QFile::encodeName(m_dir.filePath("temp")));
    }

    void everyRowIsAccountedFor_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("sizes");
        QTest::addColumn<bool>("crash");
        QTest::addColumn<int>("stopAtStart");     // that child never ends; the user stops
        QTest::addColumn<int>("moveAtStart");     // the last row moves to the top then
        QTest::addColumn<QStringList>("summary"); // %1: the pictures' folder

        QTest::newRow("own picture, its icon made")
            << QStringList{"logo-16.png", "logo.png"} << "16,16" << false << 0 << 0
            << QStringList{"Done."};
        QTest::newRow("own picture, its icon failed")
            << QStringList{"logo-16.png", "logo.png"} << "16,32" << true << 0 << 0
            << QStringList{"Done.", "", "2 of 2 files could not be converted:",
                           "%1/logo-16.png (part of logo.ico, which could not be made: logo.png: "
                           "the converter stopped unexpectedly)",
                           "%1/logo.png (the converter stopped unexpectedly)"};
        QTest::newRow("own picture, a stop before its icon")
            << QStringList{"logo-16.png", "x.png", "logo.png"} << "16,32" << false << 1 << 0
            << QStringList{"Stopped.",
                           "",
                           "0 of 3 files were converted before the stop. Not "
                           "converted:",
                           "%1/logo-16.png (part of logo.ico, which could not be made: logo.png: "
                           "stopped before it was converted)",
                           "%1/x.png (stopped before it was converted)",
                           "%1/logo.png (stopped before it was converted)"};
        QTest::newRow("a row moved onto a passed place")
            << QStringList{"a.png", "b.png", "c.png", "d.png"} << "32" << false << 0 << 3
            << QStringList{"Done.", "", "1 of 4 files could not be converted:",
                           "%1/d.png (moved during the batch)"};
    }
    void everyRowIsAccountedFor()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, sizes);
        QFETCH(bool, crash);
        QFETCH(int, stopAtStart);
        QFETCH(int, moveAtStart);
        QFETCH(QStringList, summary);
        const QString folder = m_dir.filePath(QTest::currentDataTag()).replace(' ', '_');
        FakeWindow window;
        window.jobs = 1;
        window.selectedSize = 7;
        window.sizeText = sizes;
        window.folder = m_dir.filePath("out");
        QDir().mkpath(window.folder);
        for (const QString &name : names) {
            QVERIFY(makePng(folder + '/' + name, 16, 16));
            window.rows << folder + '/' + name;
        }
        FakeReporter reporter;
        auto *runner = new FakeRunner;
        if (crash)
            runner->act = [](const FakeRunner::Start &) {
                return ChildEnd{ChildProcess::End::Crashed, 0, {}};
            };
        runner->delayMs = [&](const FakeRunner::Start &s) {
            return s.job == stopAtStart ? 3600 * 1000 : 10;
        };
        FakeBatch batch(window, reporter, std::unique_ptr<ConverterRunner>(runner));
        QObject thisTest;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &thisTest, [&] {
            if (stopAtStart > 0 && runner->starts.size() == stopAtStart)
                batch.stop();
            if (moveAtStart > 0 && runner->starts.size() == moveAtStart) {
                window.rows.move(window.rows.size() - 1, 0);
                moveAtStart = 0;
            }
        });
        watch.start(1);
        batch.PushButton2_Click();
        QCOMPARE(window.messages.value(0).split("\r\n"), summary.replaceInStrings("%1", folder));
        QCOMPARE(reporter.reports, QStringList());
    }

    // Each reason says what is true of the destination, and nothing is left behind.
    void destinationReasonsAreTrue_data()
    {
        QTest::addColumn<QString>("setting"); // %1: the destination folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("a link into a folder you may not change")
            << "link locked/gone.ico"
            << "the icon is a link to %1/locked/gone.ico, which you may not change";
        QTest::newRow("a link to a read-only icon")
            << "link other/kept.ico"
            << "the icon is a link to %1/other/kept.ico, which you may not change";
        QTest::newRow("a folder you may not change") << "lock ."
                                                     << "cannot write in the destination folder";
        QTest::newRow("an icon that is read-only") << "read-only"
                                                   << "logo.ico is read-only";
        QTest::newRow("a folder of the icon's name")
            << "folder"
            << "the icon's name is taken by something that is not a file";
        QTest::newRow("a name too long") << "long"
                                         << "the icon's name is too long for the file system";
    }
    void destinationReasonsAreTrue()
    {
        if (const int child = rerunWithoutPermissionOverride(); child >= 0) {
            QCOMPARE(child, 0);
            return;
        }
        QFETCH(QString, setting);
        QFETCH(QString, reason);
        const QString out = m_dir.filePath(QStringLiteral("dest%1").arg(++m_destinations));
        QString name = "logo";
        QDir().mkpath(out + "/locked");
        QDir().mkpath(out + "/other");
        writeFile(out + "/other/kept.ico", "OLD");
        QFile::setPermissions(out + "/other/kept.ico", QFile::ReadOwner);
        if (setting.startsWith("link "))
            QVERIFY(QFile::link(out + '/' + setting.mid(5), out + "/logo.ico"));
        else if (setting == "read-only")
            writeFile(out + "/logo.ico", "OLD");
        else if (setting == "folder")
            QDir().mkpath(out + "/logo.ico");
        else if (setting == "long")
            name = QString(253, 'n');
        const QFile::Permissions locked = QFile::ReadOwner | QFile::ExeOwner;
        QFile::setPermissions(out + "/locked", locked);
        if (setting == "read-only")
            QFile::setPermissions(out + "/logo.ico", QFile::ReadOwner);
        const auto before = [&] {
            QStringList names;
            QDirIterator it(out,
                            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                names << it.next();
            return names;
        }();
        if (setting == "lock .")
            QFile::setPermissions(out, locked);

        FakeWindow window;
        window.folder = out;
        const QString picture = m_dir.filePath(name + (setting == "long" ? ".p" : ".png"));
        QVERIFY(makePng(picture, 16, 16));
        window.rows << picture;
        FakeReporter reporter;
        FakeBatch batch(window, reporter, std::make_unique<FakeRunner>());
        batch.PushButton2_Click();
        QFile::setPermissions(out, locked | QFile::WriteOwner);
        QCOMPARE(window.messages.value(0).split("\r\n").value(3),
                 picture + " (" + reason.replace("%1", out) + ")");
        QStringList after;
        QDirIterator it(out, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            after << it.next();
        QCOMPARE(after, before);
        QCOMPARE(readFile(out + "/other/kept.ico"), QByteArray("OLD"));
    }
};

QTEST_MAIN(TestBatchAccounting)
#include "tst_batchaccounting.moc"
