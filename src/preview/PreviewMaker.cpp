#include "PreviewMaker.h"

#include "convert/ConversionBatch.h"
#include "core/RowSource.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
constexpr int RetryMs = 250; // how often a waiting preview looks whether the batch ended
} // namespace

bool isIconFile(const QString &path)
{
    return path.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive);
}

PreviewMaker::PreviewMaker(std::function<bool()> batchRunning, QObject *parent)
    : QObject(parent), m_batchRunning(std::move(batchRunning))
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, &PreviewMaker::next);
}

PreviewMaker::~PreviewMaker() = default;

void PreviewMaker::make(const PreviewRequest &request)
{
    m_pending = request;
    // From the event loop, never from inside the caller's own handler.
    m_retry.start(0);
}

void PreviewMaker::dispose()
{
    m_pending.reset();
    m_retry.stop();
    m_disposed = true;
    if (!m_running) {
        deleteLater();
        return;
    }
    m_batch->abortForShutDown();
}

void PreviewMaker::next()
{
    if (!m_pending || m_running || m_disposed)
        return;
    if (m_pending->asStored) {
        QFile file(m_pending->path);
        const PreviewRequest request = *std::exchange(m_pending, std::nullopt);
        if (!file.open(QIODevice::ReadOnly)) {
            emit ready(PreviewModel::ofFailure({Failure::Reason::SourceUnreadable, {}, {}}));
            return;
        }
        emit ready(PreviewModel::ofIcon(file.readAll()));
        return;
    }
    if (m_batchRunning && m_batchRunning()) {
        emit waiting();
        m_retry.start(RetryMs);
        return;
    }
    convert(*std::exchange(m_pending, std::nullopt));
    if (m_disposed)
        deleteLater();
    else if (m_pending)
        m_retry.start(0);
}

void PreviewMaker::convert(const PreviewRequest &request)
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        emit ready(PreviewModel::ofFailure({Failure::Reason::NoSpaceForConverter, {}, {}}));
        return;
    }
    // A batch of its own each time, so nothing of an earlier one carries over.
    BatchObserver &observer = *this;
    ErrorReporter &reporter = *this;
    m_batch =
        std::make_unique<ConversionBatch>(observer, reporter, errorLocation("Preview.Convert"));
    RowsInMemory rows;
    rows.rows << request.path;
    BatchRequest batch;
    batch.sources = &rows;
    batch.size = request.size;
    batch.packing = request.packing;
    batch.destination = [path = folder.path()] {
        return Destination{Destination::Rule::Folder, path};
    };
    batch.jobs = 1;
    m_current = request;
    m_running = true;
    m_answered = false;
    emit started();
    m_batch->run(batch);
    m_running = false;
    if (!m_answered && !m_disposed)
        emit ready(PreviewModel::ofFailure({Failure::Reason::NoValidIcon, {}, {}}));
    m_batch.reset();
}

void PreviewMaker::batchRefused(Refusal why)
{
    m_answered = true;
    emit ready(PreviewModel::ofRefusal(why));
}

void PreviewMaker::fileEnded(const FileResult &result, bool /*ran*/)
{
    if (m_answered || m_disposed)
        return;
    m_answered = true;
    // Read at once: a batch the window starts meanwhile keeps this call's own from
    // returning until it ends.
    if (result.outcome != FileResult::Outcome::Converted) {
        emit ready(PreviewModel::ofFailure(result.failure));
        return;
    }
    QFile icon(result.icon);
    if (!icon.open(QIODevice::ReadOnly)) {
        emit ready(PreviewModel::ofFailure({Failure::Reason::NoValidIcon, {}, {}}));
        return;
    }
    const QByteArray bytes = icon.readAll();
    emit ready(PreviewModel::ofConversion(bytes, pictureFacts(m_current.path, m_current.size)));
}

void PreviewMaker::reportError(const QString &description, const QString & /*location*/,
                               int /*label*/)
{
    // The engine's own words, without the window's request for a screenshot.
    showErrorReport(description);
}

void PreviewMaker::showErrorReport(const QString &text)
{
    if (m_answered || m_disposed)
        return;
    m_answered = true;
    emit ready(PreviewModel::ofError(text));
}
