#include "ErrorTrap.h"

QString ErrorTrap::reportText(const QString &description, const QString &location, int label)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(label) + QStringLiteral("\r\n\r\n") +
           QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(SupportAddress);
}

void ErrorReporter::reportError(const QString &description, const QString &location, int label)
{
    showErrorReport(ErrorTrap::reportText(description, location, label));
}
