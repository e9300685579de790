// Runs the real program as a child with no display at all and its own settings and
// staging folders, as a script would.
#pragma once

#include "TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

inline const QString Identify = QStringLiteral("/usr/bin/identify-im6.q16");

struct Run
{
    QProcess::ExitStatus how = QProcess::CrashExit;
    int status = -1;
    QString out;
    QString err;
};

class CliHarness
{
protected:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    QString storeFile() const { return path("config/Vandrell/Quorbel.conf"); }

    // Only what a bare server session has: no DISPLAY, no WAYLAND_DISPLAY.
    void start(QProcess &process, const QStringList &arguments, const QStringList &environment = {},
               const QStringList &wrapper = {})
    {
        QProcessEnvironment env;
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("HOME", path("home"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("TEMP", path("temp"));
        for (const QString &pair : environment)
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_dir->path());
        const QString program = qEnvironmentVariable("QUORBEL_APP_DIR") + "/quorbel";
        if (wrapper.isEmpty())
            process.start(program, arguments);
        else
            process.start(wrapper.first(), wrapper.mid(1) + QStringList{program} + arguments);
    }

    // A picture made to hang the program or exhaust the machine fails the run within a
    // minute and a few gigabytes instead; files are refused as to any user.
    Run bounded(const QStringList &arguments)
    {
        QStringList wrapper;
#ifndef __SANITIZE_ADDRESS__ // its shadow memory alone takes more address space
        wrapper << "prlimit"
                << "--as=" + QString::number(3LL << 30) << "--";
#endif
        if (geteuid() == 0)
            wrapper << "setpriv"
                    << "--bounding-set"
                    << "-dac_override,-dac_read_search"
                    << "--";
        QProcess process;
        start(process, arguments, {}, wrapper);
        Run run;
        if (!process.waitForFinished(60000))
            return run;
        run.how = process.exitStatus();
        run.status = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        return run;
    }

    Run quorbel(const QStringList &arguments, const QStringList &environment = {})
    {
        QProcess process;
        start(process, arguments, environment);
        Run run;
        if (!process.waitForFinished(120000))
            return run;
        run.how = process.exitStatus();
        run.status = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    // Every entry of an icon as "WxH"; empty when it is no icon.
    static QStringList iconEntries(const QString &file)
    {
        QProcess identify;
        identify.start(Identify, {"-format", "%m %wx%h\n", file});
        identify.waitForFinished();
        QStringList entries;
        for (const QString &line : QString::fromLatin1(identify.readAllStandardOutput())
                                       .split('\n', Qt::SkipEmptyParts)) {
            if (!line.startsWith("ICO "))
                return {};
            entries << line.mid(4);
        }
        return entries;
    }

    QStringList icons(const QString &folder) const
    {
        return QDir(path(folder)).entryList({"*.ico"}, QDir::Files, QDir::Name);
    }

    void makeFixture()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(path("temp"));
        QDir().mkpath(path("out"));
        QDir().mkpath(path("empty"));
        QVERIFY(makePng(path("src/a.png"), 200, 200));
        QVERIFY(makePng(path("src/sub/b.PNG"), 64, 64));
        QVERIFY(makePng(path("src/~t.png"), 64, 64));
        QVERIFY(QImage(path("src/a.png")).save(path("src/c.jpg"), "JPG"));
        writeFile(path("src/bad.png"), "not a picture");
        writeFile(path("ctl/\x1b[2J\x1b]0;x\x07.png"), "not a picture");
        for (int i = 1; i <= 12; ++i)
            writeFile(path(QStringLiteral("many/bad%1.png").arg(i)), "not a picture");
    }
};
