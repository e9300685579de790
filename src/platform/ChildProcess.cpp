#include "ChildProcess.h"

#include "AppError.h"

#include <array>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {
// The process groups of the running children; 0 where none is.
std::array<std::atomic<pid_t>, 256> runningGroups{};
} // namespace

ChildProcess::ChildProcess(QObject *parent) : QObject(parent)
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardOutputFile(QProcess::nullDevice());
    const pid_t parentPid = getpid();
    m_process.setChildProcessModifier([this, parentPid] {
        // Killed with us; and if we already went before this line, go at once.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parentPid)
            _exit(127);
        // A group of its own, so that ending it also ends whatever it started.
        setpgid(0, 0);
        if (m_pinned)
            sched_setaffinity(0, sizeof m_cores, &m_cores);
        for (const int fd : m_inherited)
            fcntl(fd, F_SETFD, 0);
    });
    connect(&m_process, &QProcess::readyReadStandardError, this, &ChildProcess::readErrorOutput);
    connect(&m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        readErrorOutput();
        forget();
        finish(status == QProcess::CrashExit ? End::Crashed : End::Exited, code);
    });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            forget();
            finish(End::FailedToStart, ErrorNumber::FileNotFound);
        }
    });
}

ChildProcess::~ChildProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        kill();
        // SIGKILL was sent: only the reaping is left, which QProcess finishes later.
        static_cast<void>(m_process.waitForFinished(1000));
    }
    forget();
}

void ChildProcess::start(const QString &program, const QStringList &arguments,
                         const QString &workingFolder, const QStringList &extraEnvironment,
                         const QList<int> &inherited)
{
    m_inherited.assign(inherited.begin(), inherited.end());
    m_ended = false;
    m_errorOutput.clear();
    m_process.setWorkingDirectory(workingFolder);
    if (!extraEnvironment.isEmpty())
        m_process.setEnvironment(QProcess::systemEnvironment() + extraEnvironment);
    // We wait while the child gets going; pinned to the core we free meanwhile, it
    // starts at once instead of queueing behind a busy core.
    const int core = sched_getcpu();
    cpu_set_t here;
    CPU_ZERO(&here);
    if (core >= 0)
        CPU_SET(core, &here);
    m_pinned = core >= 0 && sched_getaffinity(0, sizeof m_cores, &m_cores) == 0 &&
               CPU_ISSET(core, &m_cores) && sched_setaffinity(0, sizeof here, &here) == 0;
    m_process.start(program, arguments, QIODevice::ReadOnly);
    if (m_pinned)
        sched_setaffinity(0, sizeof m_cores, &m_cores);
    // The child made a group of its own, numbered as itself, before the program ran.
    if (const pid_t pid = pid_t(m_process.processId()); pid > 0 && m_listed < 0) {
        for (size_t i = 0; i < runningGroups.size(); ++i) {
            pid_t none = 0;
            if (runningGroups[i].compare_exchange_strong(none, pid)) {
                m_listed = int(i);
                break;
            }
        }
    }
}

void ChildProcess::forget()
{
    if (m_listed >= 0)
        runningGroups[size_t(m_listed)].store(0);
    m_listed = -1;
}

void ChildProcess::killAllNow()
{
    for (const std::atomic<pid_t> &group : runningGroups) {
        if (const pid_t pid = group.load(); pid > 0)
            ::kill(-pid, SIGKILL);
    }
}

void ChildProcess::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    if (const qint64 pid = m_process.processId(); pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
    m_process.kill();
}

void ChildProcess::readErrorOutput()
{
    const QByteArray chunk = m_process.readAllStandardError();
    if (m_errorOutput.size() < KeptErrorOutput)
        m_errorOutput += chunk.left(KeptErrorOutput - m_errorOutput.size());
}

void ChildProcess::finish(End how, int exitCode)
{
    if (m_ended)
        return;
    m_ended = true;
    emit ended(how, exitCode);
}
