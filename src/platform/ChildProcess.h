// One child program started with an explicit argument list (never through a shell),
// reporting its end by signals so that nobody has to block on it.
#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>

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

    explicit ChildProcess(QObject *parent = nullptr);
    ~ChildProcess() override;

    // Starts the program; `ended` follows, also when the start fails.
    void start(const QString &program, const QStringList &arguments);
    void kill();
    bool isRunning() const;

signals:
    void ended(ChildProcess::End how, int exitCode);

private:
    void finish(End how, int exitCode);

    QProcess m_process;
    bool m_ended = false;
};
