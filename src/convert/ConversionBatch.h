// "Start Converting": converts every listed file into an icon, several children at
// once, keeping the window alive; an existing icon is replaced only by a good one.
#pragma once

#include "CommandLine.h"
#include "ConverterRunner.h"
#include "WaitingDisplay.h"
#include "core/ErrorTrap.h"
#include "core/PointerCode.h"
#include "core/RowSource.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QEventLoop;
class QTimer;
namespace SafeFile {
class WorkFolder;
class WorkSlot;
} // namespace SafeFile

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

struct FailedFile
{
    QString path;
    QString reason;
};

class ConversionBatch
{
    Q_DISABLE_COPY_MOVE(ConversionBatch)

public:
    static constexpr int ListedFailures = 10;

    // Without a runner the batch runs real children.
    ConversionBatch(BatchWindow &window, ErrorReporter &reporter,
                    std::unique_ptr<ConverterRunner> runner = nullptr);
    ~ConversionBatch();

    void PushButton2_Click();
    bool isConverting() const { return m_isConverting; }

    // For closing the window mid-batch: ends every child and removes the work folder.
    void abortForShutDown();

    // How many conversions run at once: QUORBEL_JOBS when set, else one per core.
    static int jobCount();

    // The output path of one source; `previous` when no destination is selected.
    static QString outputPathFor(const QString &source, bool toFolder, bool besideSource,
                                 const QString &folder, const QString &previous);
    static QString commandLineFor(const QString &quotedTool, const QString &source,
                                  const QString &sizeArgument, const QString &output);
    // "Done." and, when files failed, how many and which (in list order), each
    // followed by its reason.
    static QString summaryText(const QList<FailedFile> &failed, int total);
    // The plain name the converter reads a source through: "in-<n>", plus the
    // source's extension when that is plain letters and digits.
    static QString inputNameFor(int job, const QString &source);

private:
    struct SizeChoice
    {
        bool chosen = false;
        QString text;
        QString argument() const { return chosen ? QStringLiteral(" -resize ") + text : QString(); }
    };
    struct Job
    {
        int id = 0;
        int row = 0;
        QString source;
        QString target; // where the icon lands, links followed
        QString input;  // the plain name the source is reached through
        QString commandLine;
        QString caption;
        int startValue = 0;
        int rowCount = 0;
        int polls = 0;
        int starts = 0;
        int slot = -1;      // where in the work folder it reads and writes
        QStringList writes; // identities this job's icon writes over
        QStringList reads;  // identities of its source
        QStringList arguments;
    };

    SizeChoice readSizeChoice() const;
    void stage(const QByteArray &image);
    bool placeTool(const QByteArray &image);
    bool restage();
    void dispatch();
    // Steps 146 to 166 for one row; the job when a child is to run.
    std::optional<Job> prepareRow(int row);
    bool collides(const Job &job) const;
    void startJob(Job job);
    void jobEnded(int id, const ChildEnd &end);
    QString finishJob(const Job &job, const ChildEnd &end);
    void poll();
    void fail(int row, const QString &source, const QString &reason);
    int takeSlot();
    void freeSlot(int slot);

    BatchWindow &m_window;
    ErrorReporter &m_reporter;
    std::unique_ptr<ConverterRunner> m_runner;
    bool m_isConverting = false;

    // One batch's state.
    ErrorTrap *m_trap = nullptr;
    QEventLoop *m_loop = nullptr;
    std::unique_ptr<SafeFile::WorkFolder> m_work;
    std::vector<std::unique_ptr<SafeFile::WorkSlot>> m_slots; // made when first used
    QList<int> m_freeSlots;                                   // lowest first
    QString m_toolPath;
    QString m_quotedTool;
    QString m_program;
    QString m_stagingFailure;
    SizeChoice m_size;
    QString m_output;
    QString m_caption;
    int m_rows = 0;
    int m_nextRow = 1;
    int m_nextJobId = 1;
    int m_jobs = 1;
    std::optional<Job> m_parked; // waits for a running job that writes what it touches
    QList<Job> m_running;        // in order of start: the first is the longest running
    QList<Job> m_installing;     // children ended, icons being written out
    QList<std::pair<int, FailedFile>> m_failed;
    bool m_dispatching = false;
    bool m_dispatchAgain = false;
    bool m_aborted = false;
};
