// "Start Converting": converts every listed file into an icon, one child at a time,
// keeping the window alive, and never losing an icon that was already there.
#pragma once

#include "CommandLine.h"
#include "RunAndWait.h"
#include "core/ErrorTrap.h"
#include "core/PointerCode.h"
#include "core/RowSource.h"

#include <QString>
#include <QStringList>

// What the batch needs of the main window.
class BatchWindow : public RowSource, public ProgressDisplay
{
public:
    // Option buttons 1 to 9 of the window.
    virtual bool isOptionSelected(int number) const = 0;
    virtual QString text1() const = 0;
    virtual QString text2() const = 0;
    virtual void setPointer(int code) = 0;
    virtual void showMessage(const QString &text) = 0;
    virtual void letEventsRun() = 0;
};

class ConversionBatch
{
    Q_DISABLE_COPY_MOVE(ConversionBatch)

public:
    static constexpr int ListedFailures = 10;

    ConversionBatch(BatchWindow &window, ErrorReporter &reporter);

    void PushButton2_Click();
    bool isConverting() const { return m_isConverting; }

    // For closing the window mid-batch: ends the running child and puts back the
    // icon it was overwriting.
    void abortForShutDown();

    // The output path of one source; `previous` when no destination is selected.
    static QString OutputPathFor(const QString &source, bool toFolder, bool besideSource,
                                 const QString &folder, const QString &previous);
    static QString CommandLineFor(const QString &quotedTool, const QString &source,
                                  const QString &sizeArgument, const QString &output);
    static QString SummaryText(const QStringList &failed, int total);

private:
    struct SizeChoice
    {
        bool chosen = false;
        QString text;
        QString argument() const { return chosen ? QStringLiteral(" -resize ") + text : QString(); }
    };

    SizeChoice readSizeChoice() const;
    // Runs one conversion; false when no good icon came out of it.
    bool convertOne(const ChildCommand &command, const QString &source, const QString &output,
                    int rowCount);
    void putBack();

    BatchWindow &m_window;
    ErrorReporter &m_reporter;
    bool m_isConverting = false;

    // The output being written right now and where its previous bytes are kept.
    QString m_currentOutput;
    QString m_currentBackup;
    bool m_outputExisted = false;
};
