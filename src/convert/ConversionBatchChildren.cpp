// The children: starting them in their work slots, their ends, their time limits.
#include "ConversionBatch.h"

#include "FailureReason.h"
#include "IconInstaller.h"
#include "core/PathHelpers.h"
#include "core/RowSource.h"
#include "platform/SafeFile.h"
#include "platform/WorkSlot.h"

#include <algorithm>

namespace {
constexpr int StartAttempts = 3;
} // namespace

void ConversionBatch::startJob(Job job)
{
    Q_ASSERT(m_request && m_trap && m_staging.workFolder());
    Q_ASSERT(job.slot >= 0 && size_t(job.slot) < m_slots.size());
    m_trap->run(168,
                [&] { m_observer.conversionRunning(job.row, m_request->sources->numberOfRows()); });
    // The converter reads the source through a plain name: no character of the
    // user's path ever reaches ImageMagick's parser.
    auto &slot = m_slots[size_t(job.slot)];
    if (!slot)
        slot = std::make_unique<SafeFile::WorkSlot>(*m_staging.workFolder(), job.slot + 1);
    SafeFile::Outcome attached = slot->attach(job.source, job.input);
    for (const PictureInput &own : std::as_const(job.perSize)) {
        if (attached == SafeFile::Outcome::Done)
            attached = slot->attachExtra(own.path, own.name);
    }
    if (attached != SafeFile::Outcome::Done) {
        slot->release();
        fail(job.row, job.source,
             attached == SafeFile::Outcome::Failed
                 ? Failure{Failure::Reason::ConverterNotStarted, {}, {}}
                 : FailureReason::forSource(attached));
        freeSlot(job.slot);
        return;
    }
    if (makesKits())
        slot->expectSequence(int(m_request->size.sizes().size()));
    job.starts = 1;
    job.running.start();
    m_running.append(job);
    m_runner->start(job.id, m_staging.program(), job.arguments, m_staging.workFolder()->path(),
                    slot->inherited());
}

void ConversionBatch::jobEnded(int id, const ChildEnd &end)
{
    if (m_aborted)
        return;
    const auto it = std::find_if(m_running.begin(), m_running.end(),
                                 [id](const Job &job) { return job.id == id; });
    if (it == m_running.end())
        return;
    if (end.how == ChildProcess::End::FailedToStart && it->starts < StartAttempts &&
        !SafeFile::exists(m_staging.program()) && m_staging.restage()) {
        ++it->starts;
        m_runner->start(id, m_staging.program(), it->arguments, m_staging.workFolder()->path(),
                        m_slots[size_t(it->slot)]->inherited());
        return;
    }
    const Job job = *it;
    m_running.erase(it);
    // The next child starts first: writing the icon out to disk takes milliseconds
    // that a core would otherwise sit idle. Until then the job still guards its icon.
    m_installing.append(job);
    dispatch();
    if (m_aborted)
        return;
    if (makesKits()) {
        kitEnded(job, end);
        return;
    }
    SafeFile::WorkSlot &slot = *m_slots[size_t(job.slot)];
    const CheckedIcon icon = checkIcon(end, slot, m_request->size, m_staging.folder());
    if (icon.failure.isNone() && m_request->packing == IcoFile::Packing::Compact) {
        // The slot's files are read; the job guards its icon until the worker is done.
        releaseSlot(job.slot);
        m_compactor.compact(icon.bytes, m_request->size.sizes(),
                            [this, id, batch = m_batchNumber](const std::optional<QByteArray> &c) {
                                if (batch == m_batchNumber)
                                    compacted(id, c);
                            });
        return;
    }
    Failure failure =
        icon.failure.isNone() ? placeIcon(job.icon, icon.bytes, icon.readyFile) : icon.failure;
    for (const PictureInput &own : std::as_const(job.perSize)) {
        if (!failure.isNone() && FailureReason::isAbout(end.errorOutput, own.name))
            failure = failure.about(FileNameOf(own.path));
    }
    m_installing.removeIf([id](const Job &other) { return other.id == id; });
    releaseSlot(job.slot);
    finish(job, failure, end.how != ChildProcess::End::FailedToStart);
    dispatch();
}

std::optional<ConversionBatch::Job> ConversionBatch::takeInstalling(int id)
{
    const auto it = std::find_if(m_installing.begin(), m_installing.end(),
                                 [id](const Job &job) { return job.id == id; });
    if (m_aborted || it == m_installing.end())
        return std::nullopt;
    Job job = *it;
    m_installing.erase(it);
    return job;
}

void ConversionBatch::compacted(int id, const std::optional<QByteArray> &icon)
{
    const std::optional<Job> installing = takeInstalling(id);
    if (!installing)
        return;
    const Job &job = *installing;
    finish(job,
           icon ? placeIcon(job.icon, *icon, QString())
                : Failure{Failure::Reason::NoValidIcon, {}, {}},
           true);
    dispatch();
}

void ConversionBatch::poll()
{
    if (m_running.isEmpty() || !m_trap)
        return;
    QList<int> stuck;
    for (Job &job : m_running) {
        ++job.polls;
        if (std::chrono::milliseconds(job.running.elapsed()) > job.limit)
            stuck << job.id;
    }
    for (const int id : std::as_const(stuck))
        timeOut(id);
    if (m_running.isEmpty())
        return;
    // The display follows the conversion that has run longest.
    const Job &oldest = m_running.first();
    if (oldest.polls < PollsBeforeWaitingText)
        return;
    const StillConverting longest{oldest.row, oldest.polls, m_jobs == 1};
    m_trap->run(168, [&] { m_observer.stillConverting(longest); });
}

void ConversionBatch::timeOut(int id)
{
    const auto it = std::find_if(m_running.begin(), m_running.end(),
                                 [id](const Job &job) { return job.id == id; });
    if (it == m_running.end())
        return;
    const Job job = *it;
    m_running.erase(it);
    m_runner->stop(id);
    releaseSlot(job.slot);
    finish(job, {Failure::Reason::TookTooLong, {}, {}}, true);
    dispatch();
}

int ConversionBatch::takeSlot()
{
    if (!m_freeSlots.isEmpty())
        return m_freeSlots.takeFirst();
    m_slots.push_back(nullptr);
    return int(m_slots.size()) - 1;
}

// A slot whose child ran: its names are emptied before another job takes it.
void ConversionBatch::releaseSlot(int slot)
{
    Q_ASSERT(slot >= 0 && size_t(slot) < m_slots.size() && m_slots[size_t(slot)]);
    m_slots[size_t(slot)]->release();
    freeSlot(slot);
}

void ConversionBatch::freeSlot(int slot)
{
    Q_ASSERT(!m_freeSlots.contains(slot)); // two jobs in one slot would share names
    m_freeSlots.insert(std::lower_bound(m_freeSlots.begin(), m_freeSlots.end(), slot), slot);
}
