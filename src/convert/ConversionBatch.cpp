#include "ConversionBatch.h"

#include "CommandLine.h"
#include "ConverterConfiguration.h"
#include "ConverterTool.h"
#include "FailureReason.h"
#include "IconInstaller.h"
#include "JobCheck.h"
#include "core/PathHelpers.h"
#include "core/RowSource.h"
#include "platform/SafeFile.h"
#include "platform/WorkSlot.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace {
constexpr int StartAttempts = 3;
} // namespace

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

    m_trap = &trap;
    m_aborted = false;
    m_stopped = false;
    m_results.clear();
    m_iconMakers.clear();
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
    m_stagingFailure = QLatin1String(FailureReason::ConverterNotStarted);
    trap.run(112, [&] {
        m_staging.stage(image);
        m_stagingFailure.clear();
    });
    image.clear();
    m_runner->setChildEnvironment(converterEnvironment(m_staging.workFolder(), m_jobs));
    trap.run(144, [&] { m_rows = rows.numberOfRows(); });
    trap.run(144, [&] { m_perSize = PerSizeFinder(rows, m_rows, m_request->size); });

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

    trap.run(174, [&] { SafeFile::deleteOwnFile(m_staging.toolPath()); });
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

std::optional<ConversionBatch::Job> ConversionBatch::prepareRow(int row)
{
    ErrorTrap &trap = *m_trap;
    const RowSource &rows = *m_request->sources;
    QString source;
    trap.run(146, [&] { source = rows.rowText(row); });
    if (source.isEmpty())
        return std::nullopt; // the row is gone; the error was reported
    trap.run(148, [&] { m_observer.fileStarting({row, rows.numberOfRows(), source}); });
    trap.run(156, [&] { m_output = outputPathFor(source, m_request->destination(), m_output); });

    const IconSize &size = m_request->size;
    if (m_perSize.isPictureOfRow(source)) { // made as part of its picture's icon
        const QString fault = m_perSize.faultOf(source);
        if (fault.isEmpty())
            record({row, source, FileResult::Outcome::Converted, QString(), false}, false);
        else
            fail(row, source, fault);
        return std::nullopt;
    }
    const JobCheck check = m_stagingFailure.isEmpty()
                               ? JobCheck::forRow(source, m_output, size)
                               : JobCheck{m_stagingFailure, {}, false, {}, {}};
    if (!check.reason.isEmpty()) {
        fail(row, source, check.reason);
        return std::nullopt;
    }
    Job job;
    job.id = m_nextJobId++;
    job.row = row;
    job.source = source;
    job.slot = takeSlot();
    job.input = inputNameFor(job.slot + 1, source);
    // Only a checked source is looked into: its header gives the picture's size.
    QString fault;
    ConversionWork work;
    trap.run(164, [&] {
        const PictureInput picture = pictureInput(source, job.input);
        PerSizeFinder::Found own = m_perSize.picturesFor(source, job.slot + 1);
        fault = picture.tooLarge ? QLatin1String(FailureReason::PictureTooLarge) : own.fault;
        job.perSize = std::move(own.pictures);
        job.arguments =
            converterJobFolder(SafeFile::WorkSlot::jobFolderName(job.slot + 1)) +
            converterArguments(picture, size, SafeFile::WorkSlot::outputName(job.slot + 1),
                               job.perSize);
        work.addPicture(picture.size);
    });
    if (!fault.isEmpty()) {
        freeSlot(job.slot);
        fail(row, source, fault);
        return std::nullopt;
    }
    work.entries = std::max<int>(int(size.sizes().size()), 1);
    for (const PictureInput &own : std::as_const(job.perSize))
        work.addPicture(own.size);
    job.limit = m_limit(work);
    job.target = check.target;
    job.replacing = check.replacing;
    job.writes = check.writes;
    job.reads = check.reads;
    for (const PictureInput &picture : std::as_const(job.perSize))
        job.reads << SafeFile::identityOf(picture.path);
    return job;
}

bool ConversionBatch::collides(const Job &job) const
{
    // Jobs that touch the same icon run in list order, so the later row's icon is the
    // one left, as when files are converted one at a time.
    for (const QList<Job> *jobs : {&m_running, &m_installing}) {
        for (const Job &running : *jobs) {
            for (const QString &written : job.writes) {
                if (running.writes.contains(written) || running.reads.contains(written))
                    return true;
            }
            for (const QString &read : job.reads) {
                if (running.writes.contains(read))
                    return true;
            }
        }
    }
    return false;
}

void ConversionBatch::startJob(Job job)
{
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
                 ? QLatin1String(FailureReason::ConverterNotStarted)
                 : FailureReason::forSource(attached));
        freeSlot(job.slot);
        return;
    }
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
    QString reason = installIcon(end, *m_slots[size_t(job.slot)], job.target, m_request->size,
                                 m_staging.folder());
    for (const PictureInput &own : std::as_const(job.perSize)) {
        if (!reason.isEmpty() && FailureReason::isAbout(end.errorOutput, own.name))
            reason = FailureReason::forPerSizePicture(FileNameOf(own.path), reason);
    }
    m_installing.removeIf([id](const Job &other) { return other.id == id; });
    releaseSlot(job.slot);
    finish(job, reason, end.how != ChildProcess::End::FailedToStart);
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
    finish(job, QLatin1String(FailureReason::TookTooLong), true);
    dispatch();
}

void ConversionBatch::finish(const Job &job, const QString &reason, bool ran)
{
    const bool done = reason.isEmpty();
    if (done) {
        // Two pictures of one name into one folder: the earlier row has no icon.
        const auto earlier = m_iconMakers.constFind(job.target);
        if (earlier != m_iconMakers.cend() && m_results[*earlier].source != job.source) {
            m_results[*earlier].outcome = FileResult::Outcome::Failed;
            m_results[*earlier].reason = QStringLiteral("replaced by the icon of ") + job.source;
        }
        m_iconMakers.insert(job.target, m_results.size());
    }
    record({job.row, job.source,
            done ? FileResult::Outcome::Converted : FileResult::Outcome::Failed, reason,
            done && job.replacing},
           ran);
}

void ConversionBatch::fail(int row, const QString &source, const QString &reason)
{
    record({row, source, FileResult::Outcome::Failed, reason, false}, false);
}

void ConversionBatch::recordNotConverted(int row, const QString &source, bool ran)
{
    record({row, source, FileResult::Outcome::Failed, QLatin1String(FailureReason::BatchStopped),
            false},
           ran);
}

void ConversionBatch::record(const FileResult &result, bool ran)
{
    m_results.append(result);
    m_trap->run(168, [&] { m_observer.fileEnded(result, ran); });
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
    m_slots[size_t(slot)]->release();
    freeSlot(slot);
}

void ConversionBatch::freeSlot(int slot)
{
    m_freeSlots.insert(std::lower_bound(m_freeSlots.begin(), m_freeSlots.end(), slot), slot);
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
    SafeFile::deleteOwnFile(m_staging.toolPath());
    if (m_loop)
        m_loop->quit();
}
