// The batch's window on a terminal. The rows and the options are fixed when the run
// starts; the progress line goes to standard error when that is a terminal, the
// batch's summary to standard output and every other message to standard error.
#pragma once

#include "convert/ConversionBatch.h"
#include "core/ErrorTrap.h"

#include <QElapsedTimer>
#include <QStringList>
#include <optional>

struct ConsoleChoices
{
    int sizeOption = 2;        // 1..7, as the window's size buttons
    int destinationOption = 8; // 8: into text1; 9: beside each source
    QString text1;
    QString text2;
};

class ConsoleWindow final : public BatchWindow
{
    Q_DISABLE_COPY_MOVE(ConsoleWindow)

public:
    // `progressColumns` 0: no progress line (standard error is not a terminal).
    ConsoleWindow(QStringList rows, ConsoleChoices choices, int progressColumns);

    int numberOfRows() const override { return int(m_rows.size()); }
    QString rowText(int row) const override;
    bool isOptionSelected(int number) const override;
    QString text1() const override { return m_choices.text1; }
    QString text2() const override { return m_choices.text2; }
    void setPointer(int) override {}
    void showMessage(const QString &text) override;
    void letEventsRun() override;
    QString progressText() const override { return m_progressText; }
    void setProgressText(const QString &text) override;
    int progressValue() const override { return m_progressValue; }
    void setProgressValue(double value) override;

    // The batch's closing text ("Done." or the failure summary), once it was shown.
    const std::optional<QString> &summary() const { return m_summary; }

private:
    void draw(bool now);
    void clearLine();

    QStringList m_rows;
    ConsoleChoices m_choices;
    int m_columns = 0;
    QString m_progressText;
    int m_progressValue = 0;
    mutable int m_started = 0;
    bool m_lineShown = false;
    QString m_shownLine;
    QElapsedTimer m_sinceDrawn;
    std::optional<QString> m_summary;
};

// Error reports of the batch and the folder walk, on standard error.
class ConsoleReporter final : public ErrorReporter
{
public:
    void showErrorReport(const QString &text) override;
    int reports() const { return m_reports; }

private:
    int m_reports = 0;
};

// The window's texts end lines with CR LF (or a lone CR); a terminal wants LF.
QString terminalText(QString text);
// A message on standard error, named as the program's.
void complain(const QString &text);
