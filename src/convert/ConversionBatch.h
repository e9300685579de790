// "Start Converting": converts every requested file into an icon, several children
// at once, keeping the window alive; an existing icon is replaced only by a good one.
// It reports to an observer and knows nothing of who shows the reports.
#pragma once

#include "BatchObserver.h"
#include "BatchRequest.h"
#include "ConverterRunner.h"
#include "ConverterStaging.h"
#include "IconCompactor.h"
#include "PerSizePictures.h"
#include "TimeLimit.h"
#include "core/ErrorTrap.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QEventLoop;
namespace SafeFile {
class WorkSlot;
} // namespace SafeFile

class ConversionBatch
{
    Q_DISABLE_COPY_MOVE(ConversionBatch)

public:
    // Errors are reported to `reporter` as the client's own, at `errorLocation`
    // ("in Tessiva2021/08/31.Form1.PushButton2_Click "). Without a runner the batch runs
    // real children; without a limit, each child gets conversionTimeLimit() of its picture.
    ConversionBatch(BatchObserver &observer, ErrorReporter &reporter, QString errorLocation,
                    std::unique_ptr<ConverterRunner> runner = nullptr, TimeLimit limit = {});
    ~ConversionBatch();

    // The engine's door: converts what `request` asks. A call while a batch runs (from
    // events the batch lets run) does nothing.
    void run(const BatchRequest &request);
    bool isConverting() const { return m_isConverting; }

    // The user's stop: no further child starts, the running ones end, and the batch
    // ends as usual, its summary naming every file not converted. Does nothing unless
    // children may be running.
    void stop();
    // For closing the window mid-batch: ends every child and removes the work folder.
    void abortForShutDown();

private:
    struct Job
    {
        int id = 0;
        int row = 0;
        QString source;
        QString icon;   // the icon's name, as the rule for its place gives it
        QString target; // where the icon lands, links followed
        bool replacing = false;
        QString input; // the plain name the source is reached through
        int polls = 0;
        int starts = 0;
        int slot = -1;      // where in the work folder it reads and writes
        QStringList writes; // identities this job's icon writes over
        QStringList reads;  // identities of its source
        QStringList arguments;
        QMap<int, PictureInput> perSize; // a designer's own pictures, by size
        QString base;                    // the picture's name without its extension
        bool vector = false;
        std::chrono::milliseconds limit{};
        QElapsedTimer running; // since its child started
    };

    void convertAll(ErrorTrap &trap);
    void dispatch();
    // One row's steps up to its child's start; the job when a child is to run.
    std::optional<Job> prepareRow(int row);
    bool collides(const Job &job) const;

    void startJob(Job job);
    void jobEnded(int id, const ChildEnd &end);
    // The job whose icon or kit was being made off the window's thread; none when the
    // window closed meanwhile.
    std::optional<Job> takeInstalling(int id);
    void compacted(int id, const std::optional<QByteArray> &icon);
    // A kit's child ended: its drawings go to a worker that makes the kit's files.
    void kitEnded(const Job &job, const ChildEnd &end);
    void kitMade(int id, const std::optional<QList<KitFileBytes>> &files);
    bool makesKits() const { return m_request->size.kitParts() != 0; }
    void poll();
    void timeOut(int id);
    void finish(const Job &job, const Failure &failure, bool ran);
    void fail(int row, const QString &source, const Failure &failure);
    void recordNotConverted(int row, const QString &source, bool ran);
    void record(const FileResult &result, bool ran);
    // At the end: designer's pictures whose icon was not made, and rows moved past.
    void accountForEveryRow();
    int takeSlot();
    void releaseSlot(int slot);
    void freeSlot(int slot);

    BatchObserver &m_observer;
    ErrorReporter &m_reporter;
    QString m_errorLocation;
    std::unique_ptr<ConverterRunner> m_runner;
    TimeLimit m_limit;
    bool m_isConverting = false;

    // One batch's state.
    const BatchRequest *m_request = nullptr;
    ErrorTrap *m_trap = nullptr;
    QEventLoop *m_loop = nullptr;
    ConverterStaging m_staging;
    std::vector<std::unique_ptr<SafeFile::WorkSlot>> m_slots; // made when first used
    QList<int> m_freeSlots;                                   // lowest first
    Failure m_stagingFailure; // every row's, when the converter cannot be had
    QString m_output;
    int m_rows = 0;
    int m_nextRow = 1;
    int m_nextJobId = 1;
    int m_jobs = 1;
    std::optional<Job> m_parked; // waits for a running job that writes what it touches
    QList<Job> m_running;        // in order of start: the first is the longest running
    QList<Job> m_installing;     // children ended, icons being written out
    QList<FileResult> m_results;
    QHash<QString, qsizetype> m_iconMakers;       // icon path: the result of the row that made it
    QHash<qsizetype, QStringList> m_partsOfIcons; // a designer's picture's result: its bases
    QStringList m_batchSources;                   // the rows as the batch began
    bool m_dispatching = false;
    bool m_dispatchAgain = false;
    bool m_aborted = false;
    bool m_stopped = false;
    PerSizeFinder m_perSize;
    int m_batchNumber = 0; // a late worker's result belongs to no later batch
    IconCompactor m_compactor;
};
