// The terminal's way of saying that the settings file cannot be kept: one line on
// standard error, and the run goes on.
#pragma once

#include "platform/SettingsStore.h"

class SettingsTroubleLine final : public SettingsTrouble
{
public:
    void cannotSave(const QString &fileName, const QString &reason) override;
};
