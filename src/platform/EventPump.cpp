#include "EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <cstdio>
#include <cstdlib>

namespace EventPump {
namespace {
std::atomic_bool s_quitRequested{false};

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
            s_quitRequested = true;
        return false;
    }
};
} // namespace

void letEventsRun()
{
    QCoreApplication::processEvents();
}

void letEventsRunThrottled()
{
    static QElapsedTimer sinceLast;
    if (!sinceLast.isValid() || sinceLast.elapsed() >= 15) {
        QCoreApplication::processEvents();
        sinceLast.start();
    }
}

const std::atomic_bool &quitRequested()
{
    static QObject *watcher = nullptr;
    QCoreApplication *application = QCoreApplication::instance();
    if (!watcher && application) {
        watcher = new QuitWatcher(application);
        application->installEventFilter(watcher);
    }
    return s_quitRequested;
}

void endProgramNow()
{
    std::fflush(nullptr);
    std::_Exit(0);
}
} // namespace EventPump
