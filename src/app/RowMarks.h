// The batch's reports as the list shows them: each file's row says how the file
// ended. Every report goes on to the display as well.
#pragma once

#include "convert/BatchObserver.h"

#include <QHash>

class FileListModel;

class RowMarks final : public BatchObserver
{
    Q_DISABLE_COPY_MOVE(RowMarks)

public:
    RowMarks(BatchObserver &display, FileListModel &model) : m_display(display), m_model(model) {}

    void batchRefused(Refusal why) override { m_display.batchRefused(why); }
    void batchStarting() override;
    void fileStarting(const FileStart &file) override;
    void conversionRunning(int row, int rowCount) override
    {
        m_display.conversionRunning(row, rowCount);
    }
    void stillConverting(const StillConverting &longest) override
    {
        m_display.stillConverting(longest);
    }
    void fileEnded(const FileResult &result, bool ran) override;
    void batchEnded(const BatchSummary &summary) override;
    void letEventsRun() override { m_display.letEventsRun(); }

private:
    void mark(const FileResult &result);

    BatchObserver &m_display;
    FileListModel &m_model;
    // A result's row is where the batch read the file; the user may have moved
    // it since. The key follows the file.
    QHash<int, quint64> m_keys;
};
