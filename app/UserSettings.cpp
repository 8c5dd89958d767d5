#include "app/UserSettings.h"

namespace wheel {

QSettings UserSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("wheel-editor"),
                     QStringLiteral("wheel-editor"));
}

bool ShowLedsSetting()
{
    return UserSettings().value(QStringLiteral("showLeds"), false).toBool();
}

void SetShowLedsSetting(bool on)
{
    QSettings settings = UserSettings();
    settings.setValue(QStringLiteral("showLeds"), on);
}

} // namespace wheel
