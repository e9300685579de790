#include "IconWriter.h"

#include "FailureReason.h"
#include "IconCheck.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>

#include <vector>

namespace {
constexpr qint64 LargestIconFile = 64 * 1024 * 1024;
}

IconWriter::IconWriter(DoneHandler done) : m_done(std::move(done))
{
    m_pool.setMaxThreadCount(1);
}

IconWriter::~IconWriter()
{
    stop();
}

void IconWriter::write(int job, const QString &output, const QString &target)
{
    QMutexLocker lock(&m_mutex);
    m_stopping = false;
    m_queue.append({job, output, target});
    if (m_active)
        return;
    m_active = true;
    m_pool.start([this] { drain(); });
}

void IconWriter::stop()
{
    {
        QMutexLocker lock(&m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_pool.waitForDone();
    QCoreApplication::removePostedEvents(&m_context);
    QMutexLocker lock(&m_mutex);
    m_active = false;
}

void IconWriter::drain()
{
    struct Pending
    {
        int job = 0;
        QString reason;
        SafeFile::Replacement replacement;
    };
    for (;;) {
        QList<Item> items;
        {
            QMutexLocker lock(&m_mutex);
            items.swap(m_queue);
            if (items.isEmpty()) {
                m_active = false;
                return;
            }
        }
        // All written first, then flushed: the first flush commits them all.
        std::vector<Pending> group;
        group.reserve(size_t(items.size()));
        for (const Item &item : std::as_const(items)) {
            Pending pending;
            pending.job = item.job;
            // Only a well-formed icon may replace what is there.
            const QByteArray icon = SafeFile::readFile(item.output, LargestIconFile);
            if (!IsWellFormedIcon(icon))
                pending.reason = QLatin1String(FailureReason::NoValidIcon);
            else
                pending.replacement = SafeFile::beginReplace(item.target, icon);
            group.push_back(std::move(pending));
        }
        for (Pending &pending : group) {
            if (!pending.reason.isEmpty())
                continue;
            {
                QMutexLocker lock(&m_mutex);
                if (m_stopping)
                    return; // the rest are dropped with their hidden files
            }
            const SafeFile::Outcome outcome = pending.replacement.isPending()
                                                  ? pending.replacement.finish()
                                                  : pending.replacement.outcome();
            pending.reason = FailureReason::ForReplacing(outcome);
        }
        QMutexLocker lock(&m_mutex);
        if (m_stopping)
            return;
        for (const Pending &pending : group) {
            QMetaObject::invokeMethod(
                &m_context,
                [this, job = pending.job, reason = pending.reason] { m_done(job, reason); },
                Qt::QueuedConnection);
        }
    }
}
