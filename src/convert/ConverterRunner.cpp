#include "ConverterRunner.h"

ProcessRunner::~ProcessRunner()
{
    stopAll();
}

void ProcessRunner::start(int job, const QString &program, const QStringList &arguments,
                          const QString &workingFolder, const QList<int> &inherited)
{
    auto *child = new ChildProcess;
    m_children.insert(job, child);
    QObject::connect(child, &ChildProcess::ended, child,
                     [this, job, child](ChildProcess::End how, int exitCode) {
                         const ChildEnd end{how, exitCode, child->errorOutput()};
                         m_children.remove(job);
                         child->deleteLater();
                         // Reported from the event loop, whatever stage QProcess is in.
                         QMetaObject::invokeMethod(
                             &m_context, [this, job, end] { reportEnd(job, end); },
                             Qt::QueuedConnection);
                     });
    child->start(program, arguments, workingFolder, childEnvironment(), inherited);
}

void ProcessRunner::stop(int job)
{
    if (ChildProcess *child = m_children.take(job)) {
        child->disconnect();
        child->kill();
        delete child;
    }
}

void ProcessRunner::stopAll()
{
    const auto children = std::exchange(m_children, {});
    // All are told first, so that they die together rather than one after another.
    for (ChildProcess *child : children) {
        child->disconnect();
        child->kill();
    }
    qDeleteAll(children);
}
