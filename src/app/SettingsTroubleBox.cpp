#include "SettingsTroubleBox.h"

#include "platform/Dialogs.h"

QString SettingsTroubleBox::text(const QString &fileName, const QString &reason)
{
    return QStringLiteral("Your settings cannot be saved in %1 (%2).\r\nThe choices you make now "
                          "will not be there at the next start.")
        .arg(fileName, reason);
}

void SettingsTroubleBox::cannotSave(const QString &fileName, const QString &reason)
{
    m_dialogs.message(&m_owner, text(fileName, reason), m_title, Dialogs::Icon::None);
}
