// Runs converter children for a batch: several at once, each in its own working
// folder, each reporting its end later through the handler (never from inside
// start()). The batch owns one; tests give it a fake.
#pragma once

#include "platform/ChildProcess.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct ChildEnd
{
    ChildProcess::End how = ChildProcess::End::FailedToStart;
    int exitCode = 0;
    QByteArray errorOutput;
};

class ConverterRunner
{
public:
    using EndedHandler = std::function<void(int job, const ChildEnd &end)>;

    virtual ~ConverterRunner() = default;
    void setEndedHandler(EndedHandler handler) { m_ended = std::move(handler); }

    // The child keeps the `inherited` descriptors open.
    virtual void start(int job, const QString &program, const QStringList &arguments,
                       const QString &workingFolder, const QList<int> &inherited) = 0;
    // Ends the job's child and whatever it started; its end is not reported.
    virtual void stop(int job) = 0;
    // Ends every child still running; their ends are not reported.
    virtual void stopAll() = 0;
    // Settings ("NAME=value") added to the environment of the children started next.
    void setChildEnvironment(const QStringList &settings) { m_environment = settings; }

protected:
    void reportEnd(int job, const ChildEnd &end)
    {
        if (m_ended)
            m_ended(job, end);
    }
    QStringList childEnvironment() const { return m_environment; }

private:
    EndedHandler m_ended;
    QStringList m_environment;
};

// The real runner: one ChildProcess per job.
class ProcessRunner final : public ConverterRunner
{
public:
    ProcessRunner() = default;
    ~ProcessRunner() override;
    ProcessRunner(const ProcessRunner &) = delete;
    ProcessRunner &operator=(const ProcessRunner &) = delete;

    void start(int job, const QString &program, const QStringList &arguments,
               const QString &workingFolder, const QList<int> &inherited) override;
    void stop(int job) override;
    void stopAll() override;

private:
    QHash<int, ChildProcess *> m_children;
    QObject m_context; // ends are delivered through it, and dropped when the runner goes
};
