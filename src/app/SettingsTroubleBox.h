// The window's way of saying that the settings file cannot be kept: one message
// box that names the file, and the work goes on.
#pragma once

#include "platform/SettingsStore.h"

class Dialogs;
class QWidget;

class SettingsTroubleBox final : public SettingsTrouble
{
public:
    SettingsTroubleBox(Dialogs &dialogs, QWidget &owner, const QString &title)
        : m_dialogs(dialogs), m_owner(owner), m_title(title)
    {
    }
    void cannotSave(const QString &fileName, const QString &reason) override;

    static QString text(const QString &fileName, const QString &reason);

private:
    Dialogs &m_dialogs;
    QWidget &m_owner;
    const QString &m_title;
};
