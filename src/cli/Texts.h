// Every text the terminal shows a person about a batch, in one place: the batch's
// reports turned into lines.
#pragma once

#include "convert/BatchObserver.h"

#include <QCoreApplication>
#include <QString>

class TerminalTexts
{
    Q_DECLARE_TR_FUNCTIONS(TerminalTexts)

public:
    // Why a batch is refused.
    static QString refusal(BatchObserver::Refusal why);
    // One failed file on standard error: "path: reason".
    static QString failedFile(const FileResult &result);
    // "Done." (or "Stopped." and how many were converted before) and, when files
    // failed, how many and the first of them, one a line with its reason.
    static QString summary(const BatchSummary &summary);
    // How many icons were written and how many of them replaced one, ending in a line feed.
    static QString written(int written, int replaced);
    // The same for kits, then the folder of each kit on a line of its own.
    static QString kitsWritten(const QStringList &folders, int replaced);
};
