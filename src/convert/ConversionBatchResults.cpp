// Each file's result, as recorded and reported.
#include "ConversionBatch.h"

void ConversionBatch::finish(const Job &job, const Failure &failure, bool ran)
{
    const bool done = failure.isNone();
    if (done) {
        // Two pictures of one name into one folder: the earlier row has no icon.
        const auto earlier = m_iconMakers.constFind(job.target);
        if (earlier != m_iconMakers.cend() && m_results[*earlier].source != job.source) {
            m_results[*earlier].outcome = FileResult::Outcome::Failed;
            m_results[*earlier].failure = {Failure::Reason::ReplacedBy, job.source, {}};
        }
        m_iconMakers.insert(job.target, m_results.size());
    }
    record({job.row, job.source,
            done ? FileResult::Outcome::Converted : FileResult::Outcome::Failed, failure,
            done && job.replacing},
           ran);
}

void ConversionBatch::fail(int row, const QString &source, const Failure &failure)
{
    record({row, source, FileResult::Outcome::Failed, failure, false}, false);
}

void ConversionBatch::recordNotConverted(int row, const QString &source, bool ran)
{
    record(
        {row, source, FileResult::Outcome::Failed, {Failure::Reason::BatchStopped, {}, {}}, false},
        ran);
}

void ConversionBatch::record(const FileResult &result, bool ran)
{
    m_results.append(result);
    m_trap->run(168, [&] { m_observer.fileEnded(result, ran); });
}
