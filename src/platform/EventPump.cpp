#include "EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <cstdio>
#include <cstdlib>

namespace EventPump {
namespace {
std::atomic_bool quitRequested{false};

// Closing the last window asks the application to quit, but the main loop only
// sees that once the handler that let events run has returned.
class QuitWatcher final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Quit && watched == QCoreApplication::instance())
            quitRequested = true;
        return false;
    }
};
} // namespace

void LetEventsRun()
{
    QCoreApplication::processEvents();
}

void LetEventsRunThrottled()
{
    static QElapsedTimer sinceLast;
    if (!sinceLast.isValid() || sinceLast.elapsed() >= 15) {
        QCoreApplication::processEvents();
        sinceLast.start();
    }
}

const std::atomic_bool &QuitRequested()
{
    static QObject *watcher = nullptr;
    QCoreApplication *application = QCoreApplication::instance();
    if (!watcher && application) {
        watcher = new QuitWatcher(application);
        application->installEventFilter(watcher);
    }
    return quitRequested;
}

void EndProgramNow()
{
    std::fflush(nullptr);
    std::_Exit(0);
}
} // namespace EventPump
