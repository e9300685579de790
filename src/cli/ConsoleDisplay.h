// A batch's reports on a terminal: a progress line on standard error when that is a
// terminal, the summary on standard output, every failed file and every other message
// on standard error.
#pragma once

#include "convert/BatchObserver.h"
#include "core/ErrorTrap.h"

#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <optional>

class ConsoleDisplay final : public BatchObserver
{
    Q_DISABLE_COPY_MOVE(ConsoleDisplay)

public:
    // `progressColumns` 0: no progress line (standard error is not a terminal).
    // `destination` says where the icons go, once the batch starts.
    ConsoleDisplay(int progressColumns, const QString &destination);

    void batchRefused(Refusal why) override;
    void batchStarting() override;
    void fileStarting(const FileStart &file) override;
    void conversionRunning(int, int) override {}
    void stillConverting(const StillConverting &longest) override;
    void fileEnded(const FileResult &result, bool ran) override;
    void batchEnded(const BatchSummary &summary) override;
    void letEventsRun() override;

    // The batch's summary, once it ended.
    const std::optional<BatchSummary> &summary() const { return m_summary; }
    // The run makes kits, so its last lines count kits and name their folders.
    void setMakesKits(bool kits) { m_kits = kits; }

private:
    void draw(bool now);
    void clearLine();

    int m_total = 0;
    int m_columns = 0;
    int m_started = 0;
    int m_percent = 0;
    QString m_destination;
    bool m_kits = false;
    QSet<int> m_partsOfIcons; // rows converted into another row's icon
    QString m_name;           // of the file started last
    QString m_waiting;        // ", Please wait.. N" while the longest takes long
    bool m_lineShown = false;
    QString m_shownLine;
    QElapsedTimer m_sinceDrawn;
    std::optional<BatchSummary> m_summary;
};

// Error reports of the batch and the folder walk, on standard error.
class ConsoleReporter final : public ErrorReporter
{
public:
    void showErrorReport(const QString &text) override;
    // One line in the user's words: a terminal has no line labels to show, and
    // nobody to email a screenshot to.
    void reportError(const QString &description, const QString &location, int label) override;
    int reports() const { return m_reports; }

private:
    int m_reports = 0;
};

// A text with its control characters shown as "?": on a terminal they would act.
QString printable(QString text);
// A message on standard error, named as the program's.
void complain(const QString &text);
