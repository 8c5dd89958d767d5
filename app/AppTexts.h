#pragma once
// Fixed texts and addresses of the main window.

namespace wheel {

inline constexpr const char* kAboutMenuText = "关于 Rota(&A)...";
inline constexpr const char* kMakerPageMenuText = "驰光主页(&H)";
inline constexpr const char* kShopPageMenuText = "驰光网店(&S)";

// The maker's page (command 1010) and shop page (command 1014). Placeholders
// until the maker gives its own addresses.
inline constexpr const char* kMakerPageUrl = "https://www.example.com/wheel-light/";
inline constexpr const char* kShopPageUrl = "https://shop.example.com/wheel-light/";

inline constexpr const char* kCaptionHint = "温馨提示";
inline constexpr const char* kCaptionHintSmile = "温馨提示-_-";
inline constexpr const char* kCaptionSuccess = "恭喜";

inline constexpr const char* kNoPictureText = "请导入图片!";
inline constexpr const char* kNotAnIntegerText = "请键入一个整数。";
inline constexpr const char* kOpenDialogCaption = "打开";

} // namespace wheel
