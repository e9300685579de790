#include "RowMarks.h"

#include "Texts.h"
#include "filelist/FileListModel.h"

void RowMarks::batchStarting()
{
    m_keys.clear();
    m_model.beginOutcomes();
    m_display.batchStarting();
}

void RowMarks::fileStarting(const FileStart &file)
{
    // The batch has just read the row: it still holds this file.
    if (file.row >= 1 && file.row <= m_model.numberOfRows())
        m_keys.insert(file.row, m_model.rowKey(file.row));
    m_display.fileStarting(file);
}

void RowMarks::fileEnded(const FileResult &result, bool ran)
{
    mark(result);
    m_display.fileEnded(result, ran);
}

void RowMarks::batchEnded(const BatchSummary &summary)
{
    // A result can change after its report: a later icon of the same name
    // replaced it.
    for (const FileResult &result : summary.results) {
        // A row the batch never read (a stop came first, or it was moved past) is
        // marked where its file stands now.
        const bool movedPast = result.failure.reason == Failure::Reason::MovedDuringBatch;
        const bool standsThere = result.row >= 1 && result.row <= m_model.numberOfRows() &&
                                 m_model.rowText(result.row) == result.source;
        if (movedPast && !standsThere)
            continue;
        if ((movedPast || !m_keys.contains(result.row)) && standsThere)
            m_keys.insert(result.row, m_model.rowKey(result.row));
        mark(result);
    }
    m_model.endOutcomes();
    m_keys.clear();
    m_display.batchEnded(summary);
}

void RowMarks::mark(const FileResult &result)
{
    const auto key = m_keys.constFind(result.row);
    if (key == m_keys.cend())
        return;
    using Reason = Failure::Reason;
    const Failure &failure = result.failure;
    // The batch never came to the file itself (not to an icon it was part of).
    const bool notReached =
        failure.pictures.isEmpty() && failure.partOf.isEmpty() &&
        (failure.reason == Reason::BatchStopped || failure.reason == Reason::MovedDuringBatch);
    if (result.outcome == FileResult::Outcome::Converted)
        m_model.setOutcome(result.row, *key, FileListModel::Outcome::Converted, {});
    else if (notReached)
        m_model.setOutcome(result.row, *key, FileListModel::Outcome::NotReached,
                           failure.reason == Reason::BatchStopped ? WindowTexts::notReached()
                                                                  : WindowTexts::reason(result));
    else
        m_model.setOutcome(result.row, *key, FileListModel::Outcome::Failed,
                           WindowTexts::reason(result));
}
