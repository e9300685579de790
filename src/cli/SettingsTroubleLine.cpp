#include "SettingsTroubleLine.h"

#include "platform/Console.h"

void SettingsTroubleLine::cannotSave(const QString &fileName, const QString &reason)
{
    Console::write(
        Console::Stream::Err,
        QStringLiteral("quorbel: settings cannot be saved in %1: %2\n").arg(fileName, reason));
}
