// Each file's result, as recorded and reported.
#include "ConversionBatch.h"

#include "IconKit.h"
#include "core/PathHelpers.h"
#include "core/RowSource.h"

#include <algorithm>

void ConversionBatch::finish(const Job &job, const Failure &failure, bool ran)
{
    const bool done = failure.isNone();
    if (done) {
        // Two pictures of one name into one folder: the earlier row has no icon.
        const auto earlier = m_iconMakers.constFind(job.target);
        if (earlier != m_iconMakers.cend() && m_results[*earlier].source != job.source) {
            m_results[*earlier].outcome = FileResult::Outcome::Failed;
            m_results[*earlier].failure = {Failure::Reason::ReplacedBy, job.source, {}};
            m_results[*earlier].icon.clear();
        }
        m_iconMakers.insert(job.target, m_results.size());
    }
    record({job.row, job.source,
            done ? FileResult::Outcome::Converted : FileResult::Outcome::Failed, failure,
            done && job.replacing, done ? job.icon : QString(), done && makesKits()},
           ran);
}

void ConversionBatch::fail(int row, const QString &source, const Failure &failure)
{
    record({row, source, FileResult::Outcome::Failed, failure, false, {}}, false);
}

void ConversionBatch::recordNotConverted(int row, const QString &source, bool ran)
{
    record({row,
            source,
            FileResult::Outcome::Failed,
            {Failure::Reason::BatchStopped, {}, {}},
            false,
            {}},
           ran);
}

void ConversionBatch::record(const FileResult &result, bool ran)
{
    m_results.append(result);
    m_trap->run(168, [&] { m_observer.fileEnded(result, ran); });
}

void ConversionBatch::accountForEveryRow()
{
    // A row moved onto a place the batch had passed is not converted in this batch;
    // it is still named, so the summary adds up to the rows the batch began with.
    QHash<QString, int> missing;
    for (const QString &source : std::as_const(m_batchSources))
        ++missing[source];
    for (const FileResult &result : std::as_const(m_results))
        --missing[result.source];
    const RowSource &rows = *m_request->sources;
    for (int row = 1, count = rows.numberOfRows(); row <= count; ++row) {
        const QString source = rows.rowText(row);
        auto it = missing.find(source);
        if (it == missing.end() || *it <= 0)
            continue;
        --*it;
        m_results.append({row,
                          source,
                          FileResult::Outcome::Failed,
                          {Failure::Reason::MovedDuringBatch, {}, {}},
                          false,
                          {}});
    }

    // A designer's picture counts as converted only when an icon holds it.
    QHash<QString, Failure> ofBase; // none: the base's icon was written
    for (const FileResult &result : std::as_const(m_results)) {
        if (result.outcome == FileResult::Outcome::Converted)
            ofBase.insert(result.source, {});
        else if (!ofBase.contains(result.source))
            ofBase.insert(result.source, result.failure);
    }
    for (auto part = m_partsOfIcons.cbegin(); part != m_partsOfIcons.cend(); ++part) {
        FileResult &result = m_results[part.key()];
        const QStringList &bases = part.value();
        const bool held = std::any_of(bases.cbegin(), bases.cend(), [&](const QString &base) {
            const auto it = ofBase.constFind(base);
            return it != ofBase.cend() && it->isNone();
        });
        if (held || result.outcome != FileResult::Outcome::Converted)
            continue;
        const QString &base = bases.first();
        const Failure why = ofBase.value(base, {Failure::Reason::BatchStopped, {}, {}});
        result.outcome = FileResult::Outcome::Failed;
        const QString name = StripExtension(FileNameOf(base));
        result.failure =
            why.partOfIcon(makesKits() ? IconKit::folderName(name) : name + QStringLiteral(".ico"),
                           FileNameOf(base));
    }
}
