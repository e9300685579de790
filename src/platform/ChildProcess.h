// One child program started with an explicit argument list (never through a shell),
// reporting its end by signals so that nobody has to block on it. The child dies
// with the program: it never outlives a crash or a kill of its parent.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QStringList>

#include <sched.h>
#include <vector>

class ChildProcess final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ChildProcess)

public:
    enum class End
    {
        Exited,
        Crashed,
        FailedToStart
    };

    static constexpr qsizetype KeptErrorOutput = 4096;

    explicit ChildProcess(QObject *parent = nullptr);
    ~ChildProcess() override;

    // Starts the program in `workingFolder` (the current one when empty), with our
    // environment plus `extraEnvironment` ("NAME=value"); `ended` follows, also when
    // the start fails. The child keeps the `inherited` descriptors open, however many.
    void start(const QString &program, const QStringList &arguments,
               const QString &workingFolder = QString(),
               const QStringList &extraEnvironment = QStringList(),
               const QList<int> &inherited = QList<int>());
    // Asks the child to end at once; `ended` follows.
    void kill();
    // Ends every child still running, with whatever each started, from any thread and
    // without a lock: for a program that has to end now.
    static void killAllNow();
    // The beginning of what the child wrote to its error output.
    QByteArray errorOutput() const { return m_errorOutput; }

signals:
    void ended(ChildProcess::End how, int exitCode);

private:
    void finish(End how, int exitCode);
    void readErrorOutput();
    void forget();

    QProcess m_process;
    QByteArray m_errorOutput;
    bool m_ended = false;
    int m_listed = -1; // where killAllNow() finds it
    // Filled before the start and only read in the child, which may not allocate.
    std::vector<int> m_inherited;
    cpu_set_t m_cores{}; // where the program may run
    bool m_pinned = false;
};
