// One row's preparation up to its child's start: its checks, its names, its limit,
// and whether it must wait for another job that touches the same files.
#include "ConversionBatch.h"

#include "CommandLine.h"
#include "ConverterConfiguration.h"
#include "FailureReason.h"
#include "JobCheck.h"
#include "core/PathHelpers.h"
#include "core/RowSource.h"
#include "platform/SafeFile.h"
#include "platform/WorkSlot.h"

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
    // Made as part of its picture's icon; it follows that icon at the end.
    if (const QStringList bases = m_perSize.baseRowsOf(source); !bases.isEmpty()) {
        const Failure fault = m_perSize.faultOf(source);
        if (fault.isNone()) {
            m_partsOfIcons.insert(m_results.size(), bases);
            record({row, source, FileResult::Outcome::Converted, {}, false, {}}, false);
        } else {
            fail(row, source, fault);
        }
        return std::nullopt;
    }
    const QString place = size.kitParts() != 0 ? kitFolderFor(m_output) : m_output;
    const JobCheck check = m_stagingFailure.isNone()
                               ? JobCheck::forRow(source, place, size)
                               : JobCheck{m_stagingFailure, {}, false, {}, {}};
    if (!check.failure.isNone()) {
        fail(row, source, check.failure);
        return std::nullopt;
    }
    Job job;
    job.id = m_nextJobId++;
    job.row = row;
    job.source = source;
    job.slot = takeSlot();
    job.input = inputNameFor(job.slot + 1);
    // Only a checked source is looked into: its header gives the picture's size.
    Failure fault;
    ConversionWork work;
    trap.run(164, [&] {
        const PictureInput picture = pictureInput(source, job.input);
        PerSizeFinder::Found own = m_perSize.picturesFor(source, job.slot + 1);
        fault = picture.fault.isNone() ? own.fault : picture.fault;
        job.perSize = std::move(own.pictures);
        job.arguments = converterJobFolder(SafeFile::WorkSlot::jobFolderName(job.slot + 1)) +
                        converterSizeLimits() +
                        converterArguments(picture, size,
                                           size.kitParts() != 0
                                               ? SafeFile::WorkSlot::sequencePattern(job.slot + 1)
                                               : SafeFile::WorkSlot::outputName(job.slot + 1),
                                           job.perSize);
        job.vector = picture.vector;
        work = conversionWork(picture, size, job.perSize);
    });
    if (!fault.isNone()) {
        freeSlot(job.slot);
        fail(row, source, fault);
        return std::nullopt;
    }
    job.limit = m_limit(work);
    job.icon = place;
    job.base = StripExtension(FileNameOf(m_output));
    job.target = check.target;
    job.replacing = check.replacing;
    job.writes = check.writes;
    job.reads = check.reads;
    for (const PictureInput &picture : std::as_const(job.perSize))
        job.reads << SafeFile::identityOf(picture.path).valueOr({});
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
