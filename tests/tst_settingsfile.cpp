// A new settings file is put in place whole or not at all, and a failure is said once.
#include "TestSupport.h"
#include "platform/Settings.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {
struct HeardTrouble final : SettingsTrouble
{
    QStringList heard;
    void cannotSave(const QString &fileName, const QString &reason) override
    {
        heard << fileName + ": " + reason;
    }
};

// The step a disk refuses, with the error it gives; a write stores half first.
QByteArray failingStep;
ssize_t failingWrite(int fd, const void *data, size_t size)
{
    if (failingStep == "half written" && size > 1)
        return ::write(fd, data, size / 2);
    errno = ENOSPC;
    return failingStep.contains("written") ? -1 : ::write(fd, data, size);
}
int failingOpen(const char *path, int flags, mode_t mode)
{
    errno = ENOSPC;
    return failingStep == "open" ? -1 : ::open(path, flags, mode);
}
int failingSync(int fd)
{
    errno = EIO;
    return failingStep == "fsync" ? -1 : ::fsync(fd);
}
int failingClose(int fd)
{
    const int closed = ::close(fd);
    errno = EDQUOT;
    return failingStep == "close" ? -1 : closed;
}
int failingRename(const char *from, const char *to)
{
    errno = EXDEV;
    return failingStep == "rename" ? -1 : ::rename(from, to);
}
} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    // Whichever step fails, the old file stays byte for byte, the folder holds
    // nothing new, and that is said once.
    void failedStepKeepsTheFile_data()
    {
        QTest::addColumn<QByteArray>("step");
        for (const char *step : {"open", "not written", "half written", "fsync", "close", "rename"})
            QTest::newRow(step) << QByteArray(step);
        QTest::newRow("none") << QByteArray();
    }

    void failedStepKeepsTheFile()
    {
        QFETCH(QByteArray, step);
        QTemporaryDir dir;
        keepSettingsIn(dir.path());
        HeardTrouble trouble;
        SettingsStore store;
        store.tellTroubleTo(&trouble);
        const QByteArray before = "[General]\nText1=/x/\nIcon%20Size=2\n";
        writeFile(store.fileName(), before);
        failingStep = step;
        store.useFileCalls({failingOpen, failingWrite, failingSync, failingClose, failingRename});
        Settings settings(store);
        settings.setIconSize(3);
        settings.setText2("16");
        const QStringList left = QDir(QFileInfo(store.fileName()).path()).entryList(QDir::Files);
        if (step.isEmpty()) {
            QCOMPARE(readFile(store.fileName()),
                     QByteArray(before).replace("=2", "=3") + "Text2=16\n");
            QCOMPARE(trouble.heard, QStringList());
        } else {
            QCOMPARE(readFile(store.fileName()), before);
            QCOMPARE(trouble.heard.size(), 1);
        }
        QCOMPARE(left, QStringList{"Quorbel.conf"});
    }

    // The same on a real full file system, where the root may mount one.
    void fullFileSystemKeepsTheFile()
    {
        QTemporaryDir dir;
        const QByteArray mountPoint = QFile::encodeName(dir.path());
        if (mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("no tmpfs can be mounted here");
        const auto unmount = qScopeGuard([&] { umount2(mountPoint.constData(), MNT_DETACH); });
        keepSettingsIn(dir.path());
        HeardTrouble trouble;
        SettingsStore store;
        store.tellTroubleTo(&trouble);
        Settings settings(store);
        settings.setText1("/home/someone/Pictures/icons");
        settings.setIconSize(2);
        const QByteArray before = readFile(store.fileName());
        QVERIFY(before.contains("Icon%20Size=2"));
        QFile filler(dir.filePath("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'x')) > 0) {
        }
        settings.setIconSize(3);
        QCOMPARE(readFile(store.fileName()), before);
        QCOMPARE(trouble.heard.size(), 1);
        QVERIFY2(trouble.heard.first().contains("No space left"),
                 qPrintable(trouble.heard.first()));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
