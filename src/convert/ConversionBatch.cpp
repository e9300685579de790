// The batch's course: its checks, its loop over the rows, its end, and the user's stop.
#include "ConversionBatch.h"

#include "ConverterConfiguration.h"
#include "ConverterTool.h"
#include "core/PathHelpers.h"
#include "core/RowSource.h"
#include "platform/SafeFile.h"
#include "platform/WorkSlot.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

ConversionBatch::ConversionBatch(BatchObserver &observer, ErrorReporter &reporter,
                                 QString errorLocation, std::unique_ptr<ConverterRunner> runner,
                                 TimeLimit limit)
    : m_observer(observer), m_reporter(reporter), m_errorLocation(std::move(errorLocation)),
      m_runner(runner ? std::move(runner) : std::make_unique<ProcessRunner>()),
      m_limit(limit ? std::move(limit) : TimeLimit(conversionTimeLimit))
{
    m_runner->setEndedHandler([this](int job, const ChildEnd &end) { jobEnded(job, end); });
}

ConversionBatch::~ConversionBatch() = default;

void ConversionBatch::run(const BatchRequest &request)
{
    ErrorTrap trap(m_reporter, m_errorLocation);
    if (m_isConverting) // 100
        return;
    m_isConverting = true; // 102
    m_request = &request;
    convertAll(trap);
    m_request = nullptr;
    m_isConverting = false; // 188
}

void ConversionBatch::convertAll(ErrorTrap &trap)
{
    const RowSource &rows = *m_request->sources;
    if (trap.holdsOrErred(104, [&] { return rows.numberOfRows() == 0; })) {
        trap.run(186, [&] { m_observer.batchRefused(BatchObserver::Refusal::NoFiles); });
        return;
    }
    if (trap.holdsOrErred(106, [&] {
            const Destination destination = m_request->destination();
            return !(IsFolder(destination.folder) ||
                     destination.rule == Destination::Rule::BesideSource);
        })) {
        trap.run(184, [&] { m_observer.batchRefused(BatchObserver::Refusal::NoFolder); });
        return;
    }
    // Said once, before anything is staged, rather than by every file.
    if (trap.holdsOrErred(116, [&] { return !m_request->size.isAccepted(); })) {
        trap.run(190, [&] { m_observer.batchRefused(BatchObserver::Refusal::BadSize); });
        return;
    }
    if (trap.holdsOrErred(116, [&] {
            return m_request->size.kitParts() != 0 && !m_request->background.isValid();
        })) {
        trap.run(190, [&] { m_observer.batchRefused(BatchObserver::Refusal::BadColour); });
        return;
    }

    m_trap = &trap;
    ++m_batchNumber;
    m_aborted = false;
    m_stopped = false;
    m_results.clear();
    m_iconMakers.clear();
    m_partsOfIcons.clear();
    m_batchSources.clear();
    m_running.clear();
    m_installing.clear();
    m_parked.reset();
    m_slots.clear();
    m_freeSlots.clear();
    m_output.clear();
    m_rows = 0;
    m_nextRow = 1;
    m_nextJobId = 1;
    m_jobs = std::max(1, m_request->jobs);

    QByteArray image;
    trap.run(108, [&] { m_observer.batchStarting(); });
    trap.run(110, [&] { image = loadConverterImage(); });
    // One report when the converter cannot be had; every file then fails with its reason.
    m_stagingFailure = {Failure::Reason::ConverterNotStarted, {}, {}};
    trap.run(112, [&] {
        m_staging.stage(image);
        m_stagingFailure = {};
    });
    image.clear();
    m_runner->setChildEnvironment(converterEnvironment(m_staging.workFolder(), m_jobs));
    trap.run(144, [&] { m_rows = rows.numberOfRows(); });
    trap.run(144, [&] {
        for (int row = 1; row <= m_rows; ++row)
            m_batchSources << rows.rowText(row);
    });
    trap.run(144, [&] { m_perSize = PerSizeFinder(m_batchSources, m_request->size); });

    QEventLoop loop;
    QTimer polls;
    polls.setInterval(PollIntervalMs);
    QObject::connect(&polls, &QTimer::timeout, &loop, [this] { poll(); });
    polls.start();
    m_loop = &loop;
    dispatch();
    if (!m_aborted && (!m_running.isEmpty() || !m_installing.isEmpty() || m_parked))
        loop.exec();
    m_loop = nullptr;
    polls.stop();
    m_slots.clear();
    m_staging.closeWorkFolder();
    m_trap = nullptr;
    if (m_aborted)
        return;

    // The staged converter goes with the batch; one already gone, or another user's,
    // is no concern of the batch's.
    trap.run(174, [&] { static_cast<void>(SafeFile::deleteOwnFile(m_staging.toolPath())); });
    trap.run(174, [&] { accountForEveryRow(); });
    std::stable_sort(m_results.begin(), m_results.end(),
                     [](const FileResult &a, const FileResult &b) { return a.row < b.row; });
    BatchSummary summary;
    summary.total = m_rows;
    summary.stopped = m_stopped;
    summary.results = std::exchange(m_results, {});
    trap.run(176, [&] { m_observer.batchEnded(summary); });
}

void ConversionBatch::dispatch()
{
    // Events run inside the steps below; a child ending meanwhile asks again here.
    if (m_dispatching) {
        m_dispatchAgain = true;
        return;
    }
    m_dispatching = true;
    do {
        m_dispatchAgain = false;
        while (!m_aborted && !m_stopped && m_running.size() < m_jobs) {
            if (m_parked) {
                if (collides(*m_parked))
                    break;
                Job job = std::move(*m_parked);
                m_parked.reset();
                startJob(std::move(job));
                continue;
            }
            if (m_nextRow > m_rows)
                break;
            std::optional<Job> job = prepareRow(m_nextRow++);
            if (job && m_stopped) {
                freeSlot(job->slot);
                recordNotConverted(job->row, job->source, false);
            } else if (job && !m_aborted) {
                if (collides(*job))
                    m_parked = std::move(job);
                else
                    startJob(std::move(*job));
            }
            // The window catches up (and paints) once the child is already running.
            if (!m_aborted)
                m_trap->run(152, [&] { m_observer.letEventsRun(); });
        }
    } while (m_dispatchAgain && !m_aborted && !m_stopped);
    m_dispatching = false;
    if (m_loop && (m_aborted || (m_running.isEmpty() && m_installing.isEmpty() && !m_parked &&
                                 (m_stopped || m_nextRow > m_rows))))
        m_loop->quit();
}

void ConversionBatch::stop()
{
    // Before the children may run and once the batch ends, there is nothing to stop.
    if (!m_loop || m_aborted || m_stopped)
        return;
    m_stopped = true;
    m_runner->stopAll();
    for (const Job &job : std::exchange(m_running, {})) {
        releaseSlot(job.slot);
        recordNotConverted(job.row, job.source, true);
    }
    if (m_parked) {
        freeSlot(m_parked->slot);
        recordNotConverted(m_parked->row, m_parked->source, false);
        m_parked.reset();
    }
    // Rows not reached are named as they stand now, as if the batch had come to them.
    const RowSource &rows = *m_request->sources;
    for (; m_nextRow <= m_rows; ++m_nextRow) {
        QString source;
        m_trap->run(146, [&] {
            if (m_nextRow <= rows.numberOfRows())
                source = rows.rowText(m_nextRow);
        });
        if (!source.isEmpty())
            recordNotConverted(m_nextRow, source, false);
    }
    // Icons being written out finish first; the batch then ends as after its last file.
    if (m_installing.isEmpty())
        m_loop->quit();
}

void ConversionBatch::abortForShutDown()
{
    if (!m_isConverting)
        return;
    m_aborted = true;
    m_runner->stopAll();
    m_running.clear();
    m_installing.clear();
    m_parked.reset();
    m_slots.clear();
    m_staging.closeWorkFolder();
    static_cast<void>(SafeFile::deleteOwnFile(m_staging.toolPath())); // as at a batch's end
    if (m_loop)
        m_loop->quit();
}
