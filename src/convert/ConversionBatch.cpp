#include "ConversionBatch.h"

#include "ConverterTool.h"
#include "FailureReason.h"
#include "IconCheck.h"
#include "SizeList.h"
#include "core/OptionNumber.h"
#include "core/PathHelpers.h"
#include "platform/FileSystem.h"
#include "platform/SafeFile.h"
#include "platform/WorkSlot.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace {
const QString Location = errorLocation("Form1.PushButton2_Click");
constexpr qint64 LargestIconFile = 64 * 1024 * 1024;
constexpr int StartAttempts = 3;

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QStringList identities(std::initializer_list<QString> texts)
{
    QStringList list;
    for (const QString &text : texts) {
        if (!text.isEmpty())
            list << text;
    }
    return list;
}
} // namespace

ConversionBatch::ConversionBatch(BatchWindow &window, ErrorReporter &reporter,
                                 std::unique_ptr<ConverterRunner> runner)
    : m_window(window), m_reporter(reporter),
      m_runner(runner ? std::move(runner) : std::make_unique<ProcessRunner>())
{
    m_runner->setEndedHandler([this](int job, const ChildEnd &end) { jobEnded(job, end); });
}

ConversionBatch::~ConversionBatch() = default;

int ConversionBatch::jobCount()
{
    bool ok = false;
    const int jobs = qEnvironmentVariableIntValue("QUORBEL_JOBS", &ok);
    if (ok && jobs > 0)
        return jobs;
    return std::max(1, QThread::idealThreadCount());
}

QString ConversionBatch::outputPathFor(const QString &source, bool toFolder, bool besideSource,
                                       const QString &folder, const QString &previous)
{
    const QString sep = FileSystem::nativeSeparator();
    const QString iconName = StripExtension(FileNameOf(source)) + QStringLiteral(".ico");
    if (toFolder)
        return CollapseBackslashes(folder + sep + iconName);
    if (besideSource)
        return CollapseBackslashes(FolderOf(source) + sep + iconName);
    return previous;
}

QString ConversionBatch::commandLineFor(const QString &quotedTool, const QString &source,
                                        const QString &sizeArgument, const QString &output)
{
    return quotedTool + QLatin1Char(' ') + quoted(source) + sizeArgument + QLatin1Char(' ') +
           quoted(output);
}

QString ConversionBatch::inputNameFor(int job, const QString &source)
{
    QString name = QStringLiteral("in-%1").arg(job);
    const QString file = FileNameOf(source);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot + 1 == file.size() || file.size() - dot > 16)
        return name;
    const QStringView extension = QStringView(file).mid(dot + 1);
    // Formats without a signature are known by their extension; anything else in it
    // could be read as ImageMagick syntax.
    const bool plain = std::all_of(extension.begin(), extension.end(), [](QChar c) {
        return c.unicode() < 128 && c.isLetterOrNumber();
    });
    return plain ? name + QLatin1Char('.') + extension.toString() : name;
}

QString ConversionBatch::summaryText(const QList<FailedFile> &failed, int total)
{
    QString text = QStringLiteral("Done.");
    if (failed.isEmpty())
        return text;
    text += QStringLiteral("\r\n\r\n%1 of %2 files could not be converted:")
                .arg(failed.size())
                .arg(total);
    for (qsizetype i = 0; i < failed.size() && i < ListedFailures; ++i) {
        text += QStringLiteral("\r\n") + failed.at(i).path;
        if (!failed.at(i).reason.isEmpty())
            text += QStringLiteral(" (") + failed.at(i).reason + QLatin1Char(')');
    }
    if (failed.size() > ListedFailures)
        text += QStringLiteral("\r\n... and %1 more.").arg(failed.size() - ListedFailures);
    return text;
}

ConversionBatch::SizeChoice ConversionBatch::readSizeChoice() const
{
    static const char *const sizes[] = {"16", "24", "32", "48", "64", "72"};
    for (int option = OptionNumber::Size16; option <= OptionNumber::Size72; ++option) {
        if (m_window.isOptionSelected(option))
            return {true, QLatin1String(sizes[option - 1])};
    }
    if (m_window.isOptionSelected(OptionNumber::UserDefinedSize))
        return {true, m_window.text2()};
    return {};
}

void ConversionBatch::PushButton2_Click()
{
    ErrorTrap trap(m_reporter, Location);
    if (m_isConverting) // 100
        return;
    m_isConverting = true; // 102

    auto finish = [&] { m_isConverting = false; }; // 188
    if (trap.test(104, [&] { return m_window.numberOfRows() == 0; })) {
        trap.run(186, [&] { m_window.showMessage(QStringLiteral("No files added.")); });
        finish();
        return;
    }
    if (trap.test(106, [&] {
            return !(IsFolder(m_window.text1()) ||
                     m_window.isOptionSelected(OptionNumber::SaveBesideSource));
        })) {
        trap.run(184, [&] {
            m_window.showMessage(
                QStringLiteral("Folder does not exist. Please select another folder."));
        });
        finish();
        return;
    }

    m_trap = &trap;
    m_aborted = false;
    m_failed.clear();
    m_running.clear();
    m_installing.clear();
    m_parked.reset();
    m_slots.clear();
    m_freeSlots.clear();
    m_toolPath.clear();
    m_program.clear();
    m_output.clear();
    m_caption.clear();
    m_rows = 0;
    m_nextRow = 1;
    m_nextJobId = 1;
    m_jobs = jobCount();
    // With a child on every core, ImageMagick's own threads only fight over them.
    m_runner->setChildEnvironment(m_jobs > 1 && !qEnvironmentVariableIsSet("MAGICK_THREAD_LIMIT")
                                      ? QStringList{QStringLiteral("MAGICK_THREAD_LIMIT=1")}
                                      : QStringList());

    QByteArray image;
    trap.run(108, [&] { m_window.setPointer(PointerCode::Busy); });
    trap.run(110, [&] { image = loadConverterImage(); });
    // One report when the converter cannot be had; every file then fails with its reason.
    m_stagingFailure = QLatin1String(FailureReason::ConverterNotStarted);
    trap.run(112, [&] { stage(image); });
    image.clear();
    trap.run(114, [&] { m_quotedTool = quoted(m_toolPath); });
    trap.run(116, [&] { m_size = readSizeChoice(); });
    trap.run(144, [&] { m_rows = m_window.numberOfRows(); });

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
    m_work.reset();
    m_trap = nullptr;
    if (m_aborted) {
        finish();
        return;
    }

    trap.run(174, [&] { SafeFile::deleteOwnFile(m_toolPath); });
    trap.run(176, [&] { m_window.setPointer(PointerCode::Default); });
    trap.run(178, [&] { m_window.setProgressValue(0); });
    trap.run(180, [&] { m_window.setProgressText(QStringLiteral("Progress Bar")); });
    std::stable_sort(m_failed.begin(), m_failed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<FailedFile> failed;
    for (const auto &entry : std::as_const(m_failed))
        failed << entry.second;
    m_failed.clear();
    trap.run(182, [&] { m_window.showMessage(summaryText(failed, m_rows)); });
    finish();
}

void ConversionBatch::stage(const QByteArray &image)
{
    const QString staging = FileSystem::stagingFolder();
    m_toolPath = ConverterToolPath();
    SafeFile::removeStaleWorkFolders(staging);
    m_work = std::make_unique<SafeFile::WorkFolder>(staging);
    if (!placeTool(image)) {
        throw AppError(ErrorNumber::PermissionDenied,
                       QStringLiteral("The converter %1 may not be run: it must be a file of "
                                      "yours that nobody else can change")
                           .arg(m_toolPath));
    }
    m_stagingFailure.clear();
}

bool ConversionBatch::placeTool(const QByteArray &image)
{
    // The batch runs its own link to the staged file, so another instance that
    // removes the staged file at its end cannot take it away mid-batch.
    const QString own = m_work->path() + QLatin1Char('/') + QLatin1String(ConverterFileName);
    m_program = m_toolPath;
    for (int attempt = 0; attempt < StartAttempts; ++attempt) {
        if (!SafeFile::exists(m_toolPath)) {
            if (image.isEmpty())
                throw AppError(ErrorNumber::FileNotFound, QStringLiteral("Resource not found"));
            SafeFile::stageFileIfMissing(m_toolPath, image);
        }
        if (SafeFile::makeHardLink(m_toolPath, own)) {
            m_program = own;
            break;
        }
        if (SafeFile::exists(m_toolPath))
            break; // no links on this file system: run the staged file itself
    }
    return SafeFile::isPrivateExecutable(m_program);
}

bool ConversionBatch::restage()
{
    if (!m_work)
        return false;
    try {
        m_work->removeEntry(QLatin1String(ConverterFileName));
        return placeTool(loadConverterImage());
    } catch (const AppError &) {
        return false;
    }
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
        while (!m_aborted && m_running.size() < m_jobs) {
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
            if (job && !m_aborted) {
                if (collides(*job))
                    m_parked = std::move(job);
                else
                    startJob(std::move(*job));
            }
            // The window catches up (and paints) once the child is already running.
            if (!m_aborted)
                m_trap->run(152, [&] { m_window.letEventsRun(); });
        }
    } while (m_dispatchAgain && !m_aborted);
    m_dispatching = false;
    if (m_loop && (m_aborted || (m_running.isEmpty() && m_installing.isEmpty() && !m_parked &&
                                 m_nextRow > m_rows)))
        m_loop->quit();
}

std::optional<ConversionBatch::Job> ConversionBatch::prepareRow(int row)
{
    ErrorTrap &trap = *m_trap;
    QString source;
    trap.run(146, [&] { source = m_window.rowText(row); });
    if (source.isEmpty())
        return std::nullopt; // the row is gone; the error was reported
    trap.run(148,
             [&] { m_window.setProgressValue(double(row) / m_window.numberOfRows() * 100.0); });
    trap.run(150, [&] {
        m_caption = QStringLiteral("Processing: ") + FileNameOf(source);
        m_window.setProgressText(m_caption);
    });
    trap.run(154, [&] { m_window.setPointer(PointerCode::Busy); });
    trap.run(156, [&] {
        m_output = outputPathFor(source, m_window.isOptionSelected(OptionNumber::SaveToFolder),
                                 m_window.isOptionSelected(OptionNumber::SaveBesideSource),
                                 m_window.text1(), m_output);
    });

    Job job;
    job.id = m_nextJobId++;
    job.row = row;
    job.source = source;
    job.slot = takeSlot();
    job.input = inputNameFor(job.slot + 1, source);
    trap.run(164, [&] {
        job.arguments = converterArguments(job.input, m_size.chosen, m_size.text,
                                           SafeFile::WorkSlot::outputName(job.slot + 1));
    });
    // The classic command line, for the record: the child never sees it.
    trap.run(166, [&] {
        job.commandLine = commandLineFor(m_quotedTool, source, m_size.argument(), m_output);
    });

    auto fails = [&](const QString &reason) {
        freeSlot(job.slot);
        fail(row, source, reason);
        return std::nullopt;
    };
    if (!m_stagingFailure.isEmpty())
        return fails(m_stagingFailure);
    if (m_output.isEmpty())
        return fails(QLatin1String(FailureReason::NoDestination));
    if (m_size.chosen && isSizeList(m_size.text) && !parseSizeList(m_size.text))
        return fails(QLatin1String(FailureReason::SizeNotAccepted));
    // A FIFO or a device would hold the converter for ever: such a source fails now.
    const QString sourceProblem = FailureReason::forSource(SafeFile::checkReadableFile(source));
    if (!sourceProblem.isEmpty())
        return fails(sourceProblem);
    const SafeFile::Target target = SafeFile::resolveTarget(m_output);
    if (target.outcome != SafeFile::Outcome::Done)
        return fails(FailureReason::forReplacing(target.outcome));
    const QString sourceIdentity = SafeFile::identityOf(source);
    const QString targetIdentity = target.exists ? SafeFile::identityOf(target.path) : QString();
    if (!targetIdentity.isEmpty() && targetIdentity == sourceIdentity)
        return fails(QLatin1String(FailureReason::SameFile));
    job.target = target.path;
    job.writes = identities({target.path, targetIdentity});
    job.reads = identities({sourceIdentity});
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
    m_trap->run(168, [&] {
        job.caption = m_window.progressText();
        job.startValue = m_window.progressValue();
        job.rowCount = m_window.numberOfRows();
    });
    // The converter reads the source through a plain name: no character of the
    // user's path ever reaches ImageMagick's parser.
    auto &slot = m_slots[size_t(job.slot)];
    if (!slot)
        slot = std::make_unique<SafeFile::WorkSlot>(*m_work, job.slot + 1);
    const SafeFile::Outcome attached = slot->attach(job.source, job.input);
    if (attached != SafeFile::Outcome::Done) {
        fail(job.row, job.source,
             attached == SafeFile::Outcome::Failed
                 ? QLatin1String(FailureReason::ConverterNotStarted)
                 : FailureReason::forSource(attached));
        freeSlot(job.slot);
        return;
    }
    job.starts = 1;
    m_running.append(job);
    m_runner->start(job.id, m_program, job.arguments, m_work->path(), slot->inherited());
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
        !SafeFile::exists(m_program) && restage()) {
        // The converter vanished under us (another instance's end): stage it again.
        ++it->starts;
        m_runner->start(id, m_program, it->arguments, m_work->path(),
                        m_slots[size_t(it->slot)]->inherited());
        return;
    }
    const Job job = *it;
    m_running.erase(it);
    if (end.how != ChildProcess::End::FailedToStart) {
        m_trap->run(168, [&] {
            m_window.setProgressText(m_caption.isEmpty() ? QStringLiteral("Progress Bar")
                                                         : m_caption);
        });
    }
    // The next child starts first: writing the icon out to disk takes milliseconds
    // that a core would otherwise sit idle. Until then the job still guards its icon.
    m_installing.append(job);
    dispatch();
    if (m_aborted)
        return;
    const QString reason = finishJob(job, end);
    m_installing.removeIf([id](const Job &other) { return other.id == id; });
    if (!reason.isEmpty())
        fail(job.row, job.source, reason);
    m_slots[size_t(job.slot)]->release();
    freeSlot(job.slot);
    dispatch();
}

QString ConversionBatch::finishJob(const Job &job, const ChildEnd &end)
{
    switch (end.how) {
    case ChildProcess::End::FailedToStart:
        return QLatin1String(FailureReason::ConverterNotStarted);
    case ChildProcess::End::Crashed:
        return QLatin1String(FailureReason::ConverterStopped);
    case ChildProcess::End::Exited:
        break;
    }
    if (end.exitCode != 0)
        return FailureReason::fromConverterOutput(end.errorOutput);
    // Only a well-formed icon may replace what is there.
    const SafeFile::WorkSlot &slot = *m_slots[size_t(job.slot)];
    const QByteArray icon = slot.output(LargestIconFile);
    if (!isWellFormedIcon(icon))
        return QLatin1String(FailureReason::NoValidIcon);
    return FailureReason::forReplacing(SafeFile::replaceFile(job.target, icon, slot.outputPath()));
}

void ConversionBatch::poll()
{
    if (m_running.isEmpty() || !m_trap)
        return;
    for (Job &job : m_running)
        ++job.polls;
    // The display follows the conversion that has run longest.
    const Job &oldest = m_running.first();
    if (oldest.polls < 50)
        return;
    m_trap->run(168, [&] {
        m_window.setProgressText(waitingText(oldest.caption, oldest.polls));
        const auto value = creepValue(oldest.polls, oldest.rowCount, oldest.startValue);
        // Later files have moved the bar on already; it never creeps back.
        if (value && (m_jobs == 1 || *value > m_window.progressValue()))
            m_window.setProgressValue(*value);
    });
}

void ConversionBatch::fail(int row, const QString &source, const QString &reason)
{
    m_failed.append({row, FailedFile{source, reason}});
}

int ConversionBatch::takeSlot()
{
    if (!m_freeSlots.isEmpty())
        return m_freeSlots.takeFirst();
    m_slots.push_back(nullptr);
    return int(m_slots.size()) - 1;
}

void ConversionBatch::freeSlot(int slot)
{
    m_freeSlots.insert(std::lower_bound(m_freeSlots.begin(), m_freeSlots.end(), slot), slot);
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
    m_work.reset();
    SafeFile::deleteOwnFile(m_toolPath);
    if (m_loop)
        m_loop->quit();
}
