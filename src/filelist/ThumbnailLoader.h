// Small pictures of the listed files, read on a worker thread as rows are shown
// and kept by path. A path that is not a readable picture is remembered as having
// none, so it is not read again at every paint.
#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

class ThumbnailLoader final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ThumbnailLoader)

public:
    static constexpr int Edge = 16; // logical pixels, square

    explicit ThumbnailLoader(QObject *parent = nullptr);
    ~ThumbnailLoader() override;

    // The thumbnail when it has been read: null when the file has none.
    // Answers nullptr while it is unknown.
    const QPixmap *cached(const QString &path);
    // Asks for the path to be read; the newest requests are served first.
    void request(const QString &path);
    // Drops requests not yet started and every thumbnail kept.
    void reset();
    bool isIdle() const { return m_queue.isEmpty() && m_running.isEmpty(); }

    // A picture fitted into a transparent square of `edge` pixels, or a null image
    // when the path is not a regular file holding a readable picture.
    static QImage readThumbnail(const QString &path, int edge);

signals:
    void thumbnailReady(const QString &path);

private:
    void startMore();
    void finished(const QString &path, const QImage &image);

    QThreadPool m_pool;
    QCache<QString, QPixmap> m_cache;
    QStringList m_queue; // newest first
    QSet<QString> m_running;
    qreal m_pixelRatio = 1;
};
