#include "SettingsTroubleLine.h"

#include "platform/Console.h"
#include <QCoreApplication>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Terminal", text);
}
} // namespace

void SettingsTroubleLine::cannotSave(const QString &fileName, const QString &reason)
{
    Console::write(Console::Stream::Err,
                   tr("quorbel: settings cannot be saved in %1: %2\n").arg(fileName, reason));
}
