#include "BatchObserver.h"

QList<FileResult> BatchSummary::failed() const
{
    QList<FileResult> list;
    for (const FileResult &result : results) {
        if (result.outcome == FileResult::Outcome::Failed)
            list << result;
    }
    return list;
}
