// Puts converted icons in place off the window's thread: each output is checked,
// copied beside its icon, flushed to disk and renamed over it there, so the window's
// thread never waits for the disk and no core idles meanwhile. Icons that finish
// together are written first and flushed together, sharing the disk's commit.
#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <functional>

class IconWriter
{
    Q_DISABLE_COPY_MOVE(IconWriter)

public:
    // Called on the thread that made the writer, once per icon: an empty reason when
    // the icon is in place.
    using DoneHandler = std::function<void(int job, const QString &reason)>;

    explicit IconWriter(DoneHandler done);
    ~IconWriter();

    // Puts the converter's output (a file the writer reads) at `target`.
    void write(int job, const QString &output, const QString &target);
    // Drops what has not been renamed yet (its hidden file removed) and waits for the
    // thread; nothing more is reported.
    void stop();

private:
    struct Item
    {
        int job = 0;
        QString output;
        QString target;
    };
    void drain();

    DoneHandler m_done;
    QObject m_context; // reports arrive through it, on its thread
    QThreadPool m_pool;
    QMutex m_mutex;
    QList<Item> m_queue;
    bool m_active = false;
    bool m_stopping = false;
};
