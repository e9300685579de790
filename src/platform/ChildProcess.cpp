#include "ChildProcess.h"

#include "AppError.h"

ChildProcess::ChildProcess(QObject *parent) : QObject(parent)
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        finish(status == QProcess::CrashExit ? End::Crashed : End::Exited, code);
    });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(End::FailedToStart, ErrorNumber::FileNotFound);
    });
}

ChildProcess::~ChildProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

void ChildProcess::start(const QString &program, const QStringList &arguments)
{
    m_ended = false;
    m_process.start(program, arguments, QIODevice::NotOpen);
}

void ChildProcess::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool ChildProcess::isRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

void ChildProcess::finish(End how, int exitCode)
{
    if (m_ended)
        return;
    m_ended = true;
    emit ended(how, exitCode);
}
