#include "EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>

namespace EventPump {

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

void EndProgramNow()
{
    std::fflush(nullptr);
    std::_Exit(0);
}
} // namespace EventPump
