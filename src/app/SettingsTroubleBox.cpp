#include "SettingsTroubleBox.h"

#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Form1", text);
}
} // namespace

QString SettingsTroubleBox::text(const QString &fileName, const QString &reason)
{
    return tr("Your settings cannot be saved in %1: %2.\r\nThe choices you make now "
              "will not be there at the next start.")
        .arg(fileName, reason);
}

void SettingsTroubleBox::cannotSave(const QString &fileName, const QString &reason)
{
    // Said once the window shows and the handler that wrote has ended: not over
    // a half-built window, nor in the middle of a keystroke.
    QTimer::singleShot(0, &m_owner, [this, message = text(fileName, reason)] {
        m_dialogs.message(&m_owner, message, m_title, Dialogs::Icon::None);
    });
}
