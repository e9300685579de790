// Replacing an icon: links, hard links, owners, full disks; the staged converter.
#include "TestSupport.h"
#include "platform/DiskSync.h"
#include "platform/FolderListing.h"
#include "platform/SafeFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using SafeFile::Outcome;

namespace {
QStringList synced; // "device:inode" of each file or folder flushed

int openDescriptors()
{
    return int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

QString identity(const struct stat &st)
{
    return QStringLiteral("%1:%2").arg(st.st_dev).arg(st.st_ino);
}
} // namespace

class TestSafeFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    static struct stat statOf(const QString &file)
    {
        struct stat st = {};
        ::stat(QFile::encodeName(file).constData(), &st);
        return st;
    }

private slots:
    void replacesKeepingModeAndOwner()
    {
        writeFile(path("a.ico"), "OLD", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        if (geteuid() == 0)
            QVERIFY(::chown(QFile::encodeName(path("a.ico")).constData(), 65534, 65534) == 0);
        const struct stat before = statOf(path("a.ico"));
        QCOMPARE(SafeFile::replaceFile(path("a.ico"), "NEW BYTES"), Outcome::Done);
        QCOMPARE(readFile(path("a.ico")), QByteArray("NEW BYTES"));
        const struct stat after = statOf(path("a.ico"));
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ico"});
    }

    void readyFileMovesInOnlyWhereANewFileWouldMatch_data()
    {
        QTest::addColumn<bool>("oldIcon");
        QTest::addColumn<bool>("groupFolder"); // hands its group to new files
        QTest::addColumn<bool>("moved");
        QTest::newRow("new icon") << false << false << true;
        QTest::newRow("over an old icon") << true << false << true;
        QTest::newRow("folder with set-group-ID") << false << true << false;
    }
    void readyFileMovesInOnlyWhereANewFileWouldMatch()
    {
        QFETCH(bool, oldIcon);
        QFETCH(bool, groupFolder);
        QFETCH(bool, moved);
        if (groupFolder && geteuid() != 0)
            QSKIP("needs a group this user is not in");
        const QString folder = path(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(folder));
        if (groupFolder)
            QVERIFY(::chown(QFile::encodeName(folder).constData(), uid_t(-1), 65534) == 0 &&
                    ::chmod(QFile::encodeName(folder).constData(), 02775) == 0);
        if (oldIcon)
            writeFile(folder + "/a.ico", "OLD", QFile::ReadOwner | QFile::WriteOwner);
        writeFile(path("ready"), "NEW");
        QCOMPARE(SafeFile::replaceFile(folder + "/a.ico", "NEW", path("ready")), Outcome::Done);
        QCOMPARE(readFile(folder + "/a.ico"), QByteArray("NEW"));
        QCOMPARE(QFile::exists(path("ready")), !moved);
        const struct stat icon = statOf(folder + "/a.ico");
        if (oldIcon)
            QCOMPARE(icon.st_mode & 0777, mode_t(0600));
        if (groupFolder)
            QCOMPARE(icon.st_gid, gid_t(65534));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ico"});
        QFile::remove(path("ready"));
    }

    void unreadableIconIsReplaced()
    {
        writeFile(path("w.ico"), "OLD", QFile::WriteOwner);
        QCOMPARE(SafeFile::replaceFile(path("w.ico"), "NEW"), Outcome::Done);
        QFile(path("w.ico")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(readFile(path("w.ico")), QByteArray("NEW"));
    }

    void hardLinkedIconChangesUnderEveryName()
    {
        writeFile(path("h1.ico"), "OLD OLD OLD");
        QVERIFY(SafeFile::makeHardLink(path("h1.ico"), path("h2.ico")));
        QCOMPARE(SafeFile::replaceFile(path("h1.ico"), "NEW"), Outcome::Done);
        QCOMPARE(readFile(path("h2.ico")), QByteArray("NEW"));
        QCOMPARE(statOf(path("h1.ico")).st_ino, statOf(path("h2.ico")).st_ino);
    }

    void linksAreFollowed_data()
    {
        QTest::addColumn<bool>("dangling");
        QTest::newRow("to an icon") << false;
        QTest::newRow("dangling") << true;
    }
    void linksAreFollowed()
    {
        QFETCH(bool, dangling);
        QDir().mkpath(path("real"));
        QFile::remove(path("real/t.ico"));
        QFile::remove(path("l.ico"));
        if (!dangling)
            writeFile(path("real/t.ico"), "OLD");
        QVERIFY(QFile::link("real/t.ico", path("l.ico")));
        const SafeFile::Target target = SafeFile::resolveTarget(path("l.ico"));
        QCOMPARE(target.path, path("real/t.ico"));
        QCOMPARE(target.exists, !dangling);
        QCOMPARE(SafeFile::replaceFile(path("l.ico"), "NEW"), Outcome::Done);
        QVERIFY(QFileInfo(path("l.ico")).isSymLink());
        QCOMPARE(readFile(path("l.ico")), QByteArray("NEW"));
    }

    void fullDiskKeepsTheOldIcon_data()
    {
        QTest::addColumn<bool>("hardLinked");
        QTest::newRow("beside") << false;
        QTest::newRow("in place") << true;
    }
    void fullDiskKeepsTheOldIcon()
    {
        QFETCH(bool, hardLinked);
        const QString disk = path(QStringLiteral("disk%1").arg(hardLinked));
        QDir().mkpath(disk);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=256k", "tmpfs", disk}) != 0)
            QSKIP("cannot mount a small file system here");
        writeFile(disk + "/old.ico", "OLD ICON");
        if (hardLinked)
            QVERIFY(SafeFile::makeHardLink(disk + "/old.ico", disk + "/other.ico"));
        QFile filler(disk + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
        }
        filler.close();
        const Outcome outcome =
            SafeFile::replaceFile(disk + "/old.ico", QByteArray(64 * 1024, 'n'));
        const QByteArray kept = readFile(disk + "/old.ico");
        const QStringList left = QDir(disk).entryList(QDir::Files | QDir::Hidden);
        QProcess::execute("umount", {disk});
        QCOMPARE(outcome, Outcome::DiskFull);
        QCOMPARE(kept, QByteArray("OLD ICON"));
        QCOMPARE(left.size(), hardLinked ? 3 : 2);
    }

    // Root without its override, replacing another's icon in another's sticky
    // folder (a sudo run into /tmp): the rename is refused, the icon takes the new
    // bytes in place, and the hidden file, already given to the icon's owner, goes.
    void refusedRenameLeavesNoHiddenFile()
    {
        static const int child = rerunWithoutPermissionOverride("-fowner");
        if (child >= 0) {
            QCOMPARE(child, 0);
            return;
        }
        const QByteArray folder = QFile::encodeName(path("sticky")), icon = folder + "/a.ico";
        writeFile(QFile::decodeName(icon), "OLD", QFileDevice::Permissions(0x6666));
        if (::chmod(folder, 01777) != 0 || ::chown(icon, 65534, 65534) != 0 ||
            ::chown(folder, 65534, 65534) != 0)
            QSKIP("needs root's right to give files away");
        const Outcome outcome = SafeFile::replaceFile(QFile::decodeName(icon), "NEW");
        const QStringList left = QDir(path("sticky")).entryList(QDir::Files | QDir::Hidden);
        QVERIFY(::chown(folder, 0, 0) == 0 && ::chmod(folder, 0755) == 0);
        QCOMPARE(outcome, Outcome::Done);
        QCOMPARE(readFile(QFile::decodeName(icon)), QByteArray("NEW"));
        QCOMPARE(left, QStringList{"a.ico"});
    }

    void stagingKeepsAFileAlreadyThere()
    {
        SafeFile::stageFileIfMissing(path("tool"), "FIRST");
        SafeFile::stageFileIfMissing(path("tool"), "SECOND");
        QCOMPARE(readFile(path("tool")), QByteArray("FIRST"));
        QVERIFY(SafeFile::isPrivateExecutable(path("tool")));
        QCOMPARE(QDir(m_dir.path()).entryList({"*tool*", ".emf*"}, QDir::Files | QDir::Hidden),
                 QStringList{"tool"});
    }

    // What a power cut may not undo: the new bytes, and for a new name its folder.
    void everyWriteReachesTheDisk_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("folderSynced");
        QTest::newRow("a new icon") << "new" << true;
        QTest::newRow("over an old icon") << "old" << true;
        QTest::newRow("a ready file moved in") << "ready" << true;
        QTest::newRow("in place, hard-linked") << "linked" << false;
    }
    void everyWriteReachesTheDisk()
    {
        QFETCH(QString, how);
        QFETCH(bool, folderSynced);
        const QString folder = path("sync-" + how);
        QVERIFY(QDir().mkpath(folder));
        const QString icon = folder + "/s.ico";
        if (how != "new")
            writeFile(icon, "OLD OLD");
        if (how == "linked")
            QVERIFY(SafeFile::makeHardLink(icon, folder + "/other.ico"));
        QString ready;
        if (how == "ready") {
            ready = folder + "/ready";
            writeFile(ready, "NEW");
        }
        synced.clear();
        SafeFile::setSyncObserver([](int fd) {
            struct stat st = {};
            ::fstat(fd, &st);
            synced << identity(st);
        });
        const Outcome outcome = SafeFile::replaceFile(icon, "NEW", ready);
        SafeFile::setSyncObserver(nullptr);
        QCOMPARE(outcome, Outcome::Done);
        QVERIFY2(synced.contains(identity(statOf(icon))), qPrintable(synced.join(' ')));
        QCOMPARE(synced.contains(identity(statOf(folder))), folderSynced);
    }

    // A batch runs for hours: a descriptor kept by a failed step would reach every
    // later converter, and in the end no file could be opened at all.
    void noDescriptorOutlivesAFailure_data()
    {
        QTest::addColumn<QString>("step");
        for (const char *step :
             {"replace in a missing folder", "replace a folder", "replace through a link loop",
              "read a folder", "read past the limit", "write a taken work name",
              "list a folder of files", "look through a link"})
            QTest::newRow(step) << QString::fromLatin1(step);
    }
    void noDescriptorOutlivesAFailure()
    {
        QFETCH(QString, step);
        const QString folder = path("fds-" + step);
        QVERIFY(QDir().mkpath(folder + "/sub"));
        writeFile(folder + "/a.ico", "OLD");
        QFile::link(folder + "/loop", folder + "/loop");
        QFile::link(folder + "/sub", folder + "/to-sub");
        SafeFile::WorkFolder work(folder);
        QVERIFY(work.writeFile("taken", "X"));
        const int before = openDescriptors();
        if (step == "replace in a missing folder")
            QCOMPARE(SafeFile::replaceFile(folder + "/none/a.ico", "NEW"), Outcome::Missing);
        else if (step == "replace a folder")
            QCOMPARE(SafeFile::replaceFile(folder + "/sub", "NEW"), Outcome::NotRegular);
        else if (step == "replace through a link loop")
            QVERIFY(SafeFile::replaceFile(folder + "/loop", "NEW") != Outcome::Done);
        else if (step == "read a folder")
            QVERIFY(!SafeFile::readFile(folder + "/sub", 1024));
        else if (step == "read past the limit")
            QCOMPARE(SafeFile::readFile(folder + "/a.ico", 2).error().number, EFBIG);
        else if (step == "write a taken work name")
            QCOMPARE(work.writeFile("taken", "Y").error().number, EEXIST);
        else if (step == "list a folder of files")
            QCOMPARE(FileSystem::listFiles(folder, "*.ico"), QStringList{"a.ico"});
        else
            QCOMPARE(SafeFile::resolveTarget(folder + "/to-sub/b.ico").outcome, Outcome::Done);
        QCOMPARE(openDescriptors(), before);
    }
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
