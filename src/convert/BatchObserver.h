// What a batch reports while it runs: facts, not words. The window turns the reports
// into its progress bar, pointer and message boxes; the terminal into a progress line
// and its summary.
#pragma once

#include "core/Failure.h"

#include <QList>
#include <QString>

// The batch looks at its children every 100 ms, and reports the longest running one
// from its 50th look on.
inline constexpr int PollIntervalMs = 100;
inline constexpr int PollsBeforeWaitingText = 50;

struct FileStart
{
    int row = 0;
    int rowCount = 0; // rows in the list at this moment
    QString source;
};

// The conversion that has run longest is still going after `polls` polls.
struct StillConverting
{
    int row = 0;
    int polls = 0;
    bool oneAtATime = false;
};

struct FileResult
{
    enum class Outcome
    {
        Converted,
        Failed
    };
    int row = 0;
    QString source;
    Outcome outcome = Outcome::Converted;
    Failure failure;       // why it failed
    bool replaced = false; // an icon was there and has been replaced
    QString icon;          // the icon this file's conversion wrote, when it did
    bool kit = false;      // `icon` is a kit's folder
};

struct BatchSummary
{
    int total = 0;             // rows the batch went through
    QList<FileResult> results; // in list order
    bool stopped = false;      // by the user; the rows not reached failed as not converted
    QList<FileResult> failed() const;
};

class BatchObserver
{
public:
    using Refusal = BatchRefusal;
    virtual ~BatchObserver() = default;
    virtual void batchRefused(Refusal why) = 0;
    virtual void batchStarting() = 0;
    virtual void fileStarting(const FileStart &file) = 0;
    // A converter now works on the row; `rowCount` as at that moment.
    virtual void conversionRunning(int row, int rowCount) = 0;
    virtual void stillConverting(const StillConverting &longest) = 0;
    // `ran`: a converter did work on it (it may still have failed).
    virtual void fileEnded(const FileResult &result, bool ran) = 0;
    virtual void batchEnded(const BatchSummary &summary) = 0;
    // The batch waits; whoever drives it lets its own events run.
    virtual void letEventsRun() = 0;
};
