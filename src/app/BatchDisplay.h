// A batch as the main window shows it: the hourglass, "Processing: " and the file's
// share on the bar, "Please wait.. N" while a file takes long, then "Done." or the
// list of what failed.
#pragma once

#include "convert/BatchObserver.h"
#include "platform/Dialogs.h"

#include <QHash>
#include <QString>

// What the display needs of a window.
class BatchView
{
public:
    virtual ~BatchView() = default;
    virtual void setPointer(int code) = 0;
    // `details`, when not empty, is there to be read on request (the whole list of
    // files that failed).
    virtual void showMessage(const QString &text, const QString &details = {},
                             const FolderOffer &offer = {}) = 0;
    virtual void letEventsRun() = 0;
    virtual QString progressText() const = 0;
    virtual void setProgressText(const QString &text) = 0;
    virtual int progressValue() const = 0;
    virtual void setProgressValue(double value) = 0;
    // Where a running batch is, for the window's title; empty when none runs.
    virtual void setBatchStatus(const QString &status) = 0;
};

class BatchDisplay final : public BatchObserver
{
public:
    explicit BatchDisplay(BatchView &view) : m_view(view) {}

    void batchRefused(Refusal why) override;
    void batchStarting() override;
    void fileStarting(const FileStart &file) override;
    void conversionRunning(int row, int rowCount) override;
    void stillConverting(const StillConverting &longest) override;
    void fileEnded(const FileResult &result, bool ran) override;
    void batchEnded(const BatchSummary &summary) override;
    void letEventsRun() override { m_view.letEventsRun(); }

private:
    // What the display showed as a file's converter started.
    struct Shown
    {
        QString caption;
        int value = 0;
        int rowCount = 0;
    };

    BatchView &m_view;
    QString m_caption; // of the file started last
    QHash<int, Shown> m_running;
};
