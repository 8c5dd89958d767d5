#pragma once
// The application's title: the main window's title and the caption of the
// messages that speak for the whole program (the DIY canvas, the device
// protocol). Shown through TranslateShown like every other text.

namespace wheel {

inline constexpr const char* kApplicationTitle = "驰光--自行车风火轮编辑软件V2.0";

} // namespace wheel
