// Makes checked icons compact, and kits' files, on worker threads: zlib's tightest level takes a
// large picture tens of milliseconds and more, which the window must not wait out. Each result
// comes back through the event loop of the thread that asked.
#pragma once

#include "IconKitFiles.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QThreadPool>
#include <functional>
#include <optional>

class IconCompactor
{
    Q_DISABLE_COPY_MOVE(IconCompactor)

public:
    using Done = std::function<void(const std::optional<QByteArray> &compact)>;

    IconCompactor() = default;
    // Waits for the workers; no result arrives afterwards.
    ~IconCompactor();

    // `done` gets the compact icon, or nothing when it cannot be made (compactChecked).
    void compact(const QByteArray &icon, const QList<int> &sizes, Done done);

    using KitDone = std::function<void(const std::optional<QList<KitFileBytes>> &files)>;
    // `done` gets the kit's files (makeKitFiles), or nothing when they cannot be made.
    void makeKit(const KitOptions &options, const KitMaterial &material, KitDone done);

private:
    QObject m_receiver; // lives on the asking thread
    QThreadPool m_pool;
};
