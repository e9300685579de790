#include "ThumbnailLoader.h"

#include "core/SvgDocument.h"
#include "platform/RegularFile.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
// Rows scrolled past are not worth reading: only this many requests wait.
constexpr int MaxQueued = 128;
constexpr int MaxCached = 2048;
// A larger picture is not decoded for 16 pixels: it would take a worker 128 MB and
// more (Qt's own default limit for one image).
constexpr qint64 MaxPixels = 32LL * 1024 * 1024;
// Qt draws an SVG from a tree of the whole document: a thumbnail is not worth more.
constexpr SvgDocument::Limits SvgLimits{4LL * 1024 * 1024, MaxPixels};
} // namespace

ThumbnailLoader::ThumbnailLoader(QObject *parent) : QObject(parent), m_cache(MaxCached)
{
    // One core stays free for the window on small machines.
    m_pool.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 2));
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        m_pixelRatio = app->devicePixelRatio();
}

ThumbnailLoader::~ThumbnailLoader()
{
    // Workers post their results to this object: none may outlive it.
    m_pool.clear();
    m_pool.waitForDone();
}

const QPixmap *ThumbnailLoader::cached(const QString &path)
{
    return m_cache.object(path);
}

void ThumbnailLoader::request(const QString &path)
{
    if (m_running.contains(path) || m_cache.contains(path))
        return;
    m_queue.removeOne(path);
    m_queue.prepend(path);
    if (m_queue.size() > MaxQueued)
        m_queue.removeLast();
    startMore();
}

void ThumbnailLoader::reset()
{
    m_queue.clear();
    m_cache.clear();
}

void ThumbnailLoader::startMore()
{
    const int edge = int(std::ceil(Edge * m_pixelRatio));
    const qreal ratio = m_pixelRatio;
    while (!m_queue.isEmpty() && m_running.size() < m_pool.maxThreadCount()) {
        const QString path = m_queue.takeFirst();
        m_running.insert(path);
        m_pool.start([this, path, edge, ratio] {
            QImage image = readThumbnail(path, edge);
            image.setDevicePixelRatio(ratio);
            QMetaObject::invokeMethod(
                this, [this, path, image] { finished(path, image); }, Qt::QueuedConnection);
        });
    }
}

void ThumbnailLoader::finished(const QString &path, const QImage &image)
{
    m_running.remove(path);
    m_cache.insert(path, new QPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image)));
    emit thumbnailReady(path);
    startMore();
}

QImage ThumbnailLoader::readThumbnail(const QString &path, int edge)
{
    const std::unique_ptr<QFile> file = FileSystem::openRegularFile(path);
    if (!file)
        return {};
    // Qt's SVG reader follows what a picture names (a FIFO blocks it for ever) and
    // expands any document whole: it is only given a bounded copy that names nothing.
    QBuffer svg;
    QImageReader reader(file.get());
    if (SvgDocument::looksLikeSvg(file->peek(4096)) || reader.format().startsWith("svg")) {
        file->seek(0);
        svg.setData(SvgDocument::read(*file, SvgLimits, true).selfContained);
        if (svg.data().isEmpty() || !svg.open(QIODevice::ReadOnly))
            return {};
        reader.setDevice(&svg);
        reader.setFormat("svg");
    }
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid() && (full.isEmpty() || qint64(full.width()) * full.height() > MaxPixels))
        return {};
    // Scaling while reading keeps large photos cheap, but Qt loses the colours of a
    // palette picture that way (a one-colour PNG came out black and white).
    const QImage::Format format = reader.imageFormat();
    const bool palette = format == QImage::Format_Mono || format == QImage::Format_MonoLSB ||
                         format == QImage::Format_Indexed8;
    if (full.isValid() && !palette)
        reader.setScaledSize(full.scaled(edge, edge, Qt::KeepAspectRatio).expandedTo({1, 1}));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (image.width() > edge || image.height() > edge)
        image = image.scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Centred on a square, so that every row's path starts at the same place.
    QImage square(edge, edge, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((edge - image.width()) / 2, (edge - image.height()) / 2, image);
    painter.end();
    return square;
}
