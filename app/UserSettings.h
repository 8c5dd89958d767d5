#pragma once
// The editor's own settings, kept per user in
// ~/.config/wheel-editor/wheel-editor.conf (QSettings' native format).

#include <QSettings>

namespace wheel {

QSettings UserSettings();

// 图片 > 按LED显示: the preview area shows the frame as the wheel's LEDs.
bool ShowLedsSetting();
void SetShowLedsSetting(bool on);

} // namespace wheel
