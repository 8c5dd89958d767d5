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

// The menu bar. "…" marks the entries that open a window to ask for more.
inline constexpr const char* kFileMenuText = "文件(&F)";
inline constexpr const char* kOpenPictureMenuText = "打开图片(&O)…";
inline constexpr const char* kRecentMenuText = "最近打开(&R)";
inline constexpr const char* kNoRecentMenuText = "（无）";
inline constexpr const char* kClearRecentMenuText = "清除列表(&C)";
inline constexpr const char* kExportPreviewMenuText = "导出预览图(&E)…";
inline constexpr const char* kQuitMenuText = "退出(&Q)";
inline constexpr const char* kPictureMenuText = "图片(&P)";
inline constexpr const char* kAdjustmentsMenuText = "图片调整(&T)…";
inline constexpr const char* kResetAdjustmentsMenuText = "恢复默认调整(&D)";
inline constexpr const char* kDiyMenuText = "DIY画图(&Y)…";
inline constexpr const char* kShowLedsMenuText = "按LED显示(&L)";
inline constexpr const char* kDeviceMenuText = "设备(&D)";
inline constexpr const char* kDownloadMenuText = "下载(&L)";
inline constexpr const char* kCalibrateMenuText = "校准(&C)";
inline constexpr const char* kFactoryResetMenuText = "恢复出厂设置(&R)";
inline constexpr const char* kHelpMenuText = "帮助(&H)";
inline constexpr const char* kAboutHelpMenuText = "关于(&A)";
inline constexpr const char* kMainMenuName = "主菜单";

inline constexpr const char* kCaptionHint = "温馨提示";
inline constexpr const char* kCaptionHintSmile = "温馨提示-_-";
inline constexpr const char* kCaptionSuccess = "恭喜";

inline constexpr const char* kNoPictureText = "请导入图片!";
inline constexpr const char* kNotAnIntegerText = "请键入一个整数。";
inline constexpr const char* kOpenDialogCaption = "打开";
inline constexpr const char* kExportDialogCaption = "导出预览图";
inline constexpr const char* kPngFilter = "PNG(*.png) (*.png)";
// The name 导出预览图 suggests for the preview of picture %1.
inline constexpr const char* kPreviewFileName = "%1-风火轮.png";
inline constexpr const char* kCannotExportText = "无法写入预览图“%1”：%2";
inline constexpr const char* kCannotAdjustText = "内存不足，无法这样调整图片";

// Closing the editor during a download.
inline constexpr const char* kQuitDuringDownloadText =
    "正在下载图片。现在退出的话，下载会在当前这一步完成后停止：风火轮已确认收到的图片会记录下来，"
    "正在写入的那一幅将成为未知。\n要停止下载并退出吗？";
inline constexpr const char* kStopAndQuitButton = "停止下载并退出";
inline constexpr const char* kKeepDownloadingButton = "继续下载";
inline constexpr const char* kQuitDuringDownloadName = "下载时退出";

} // namespace wheel
