// Every text the window shows a person, in one place: the batch's reports turned
// into words, and the window's own captions and messages.
#pragma once

#include "convert/BatchObserver.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QString>

class WindowTexts
{
    Q_DECLARE_TR_FUNCTIONS(WindowTexts)

public:
    // What the user is told when a batch is refused.
    static QString refusal(BatchObserver::Refusal why);
    // "Done." (or "Stopped." and how many were converted before) and, when files
    // failed, how many and the first of them (in list order), each with its reason.
    static QString summary(const BatchSummary &summary);
    // Every file that failed, one a line with its reason, when summary() could not
    // name them all; empty otherwise.
    static QString failureDetails(const BatchSummary &summary);
    // One failed file as the summary names it: its path and, in brackets, its reason.
    static QString failureLine(const FileResult &result);
    // Why a file failed, as its row says after "Not converted: "; empty when converted.
    static QString reason(const FileResult &result);
    // How many icons the batch wrote and where, with the folder to show; none when
    // it wrote none.
    static FolderOffer written(const BatchSummary &summary);
    // The same for a row a stop left unreached.
    static QString notReached();
};
