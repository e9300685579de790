// The preview's client of the conversion engine: one picture converted by a batch of
// its own into a private temporary folder, read back as a PreviewModel. An icon file
// opened as it is needs no engine.
//
// The engine runs each batch in an event loop of its own on the window's thread, so
// two batches running at once would nest, and the inner one would hold back the outer
// one's next files and its end. The preview therefore never starts while the window's
// batch runs (it waits for it to end), and lets no events run from inside its own
// batch's steps: a batch started meanwhile runs on undisturbed, and the preview's
// result still arrives while it does.
#pragma once

#include "PreviewModel.h"
#include "convert/BatchObserver.h"
#include "convert/IconSize.h"
#include "core/ErrorTrap.h"
#include "core/IcoFile.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class ConversionBatch;

// What a preview is of: a picture converted with a size choice and packing, or an
// icon shown as it is.
struct PreviewRequest
{
    QString path;
    IconSize size;
    IcoFile::Packing packing = IcoFile::Packing::Standard;
    bool asStored = false;
};

// Whether a file is an icon to be shown as it is.
bool isIconFile(const QString &path);

class PreviewMaker final : public QObject, private BatchObserver, private ErrorReporter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewMaker)

public:
    // `batchRunning`: whether another batch runs now, that the preview waits for.
    explicit PreviewMaker(std::function<bool()> batchRunning = {}, QObject *parent = nullptr);
    ~PreviewMaker() override;

    // Replaces whatever was asked before; ready() follows, never from inside this call.
    void make(const PreviewRequest &request);
    bool isBusy() const { return m_running || m_pending.has_value(); }
    // Ends a running conversion and deletes this once its batch has returned.
    void dispose();

signals:
    void waiting(); // for the window's batch to end
    void started(); // the conversion runs
    void ready(const PreviewModel &model);

private:
    void next();
    void convert(const PreviewRequest &request);

    void batchRefused(Refusal why) override;
    void batchStarting() override {}
    void fileStarting(const FileStart &) override {}
    void conversionRunning(int, int) override {}
    void stillConverting(const StillConverting &) override {}
    void fileEnded(const FileResult &result, bool ran) override;
    void batchEnded(const BatchSummary &) override {}
    void letEventsRun() override {}
    void reportError(const QString &description, const QString &location, int label) override;
    void showErrorReport(const QString &text) override;

    std::function<bool()> m_batchRunning;
    std::unique_ptr<ConversionBatch> m_batch;
    std::optional<PreviewRequest> m_pending;
    PreviewRequest m_current;
    QTimer m_retry;
    bool m_running = false;
    bool m_disposed = false;
    bool m_answered = false; // the running conversion's result went out
};
