#include "IconCompactor.h"

#include "IconInstaller.h"

IconCompactor::~IconCompactor()
{
    m_pool.waitForDone();
}

void IconCompactor::compact(const QByteArray &icon, const QList<int> &sizes, Done done)
{
    m_pool.start([this, icon, sizes, done = std::move(done)] {
        std::optional<QByteArray> compact = compactChecked(icon, sizes);
        // Queued to an object of the asking thread, whose loop runs `done`.
        QMetaObject::invokeMethod(
            &m_receiver, [done, compact = std::move(compact)] { done(compact); },
            Qt::QueuedConnection);
    });
}

void IconCompactor::makeKit(const KitOptions &options, const KitMaterial &material, KitDone done)
{
    m_pool.start([this, options, material, done = std::move(done)] {
        std::optional<QList<KitFileBytes>> files = makeKitFiles(options, material);
        QMetaObject::invokeMethod(
            &m_receiver, [done, files = std::move(files)] { done(files); }, Qt::QueuedConnection);
    });
}
