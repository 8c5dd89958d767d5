#pragma once
// Fixed texts of the picture-set window, in Chinese; shown through
// TranslateShown like every other text of the editor.

namespace wheel {

inline constexpr const char* kSetWindowMenuText = "图片组(&G)…";
// The window's title: the set's file name (a "*" after it while it has
// unsaved changes), then what the window is.
inline constexpr const char* kSetWindowTitle = "%1 - 图片组";
inline constexpr const char* kUntitledSet = "未命名";

inline constexpr const char* kNewSetText = "新建";
inline constexpr const char* kOpenSetText = "打开…";
inline constexpr const char* kSaveSetText = "保存";
inline constexpr const char* kSaveSetAsText = "另存为…";
inline constexpr const char* kSaveRecordText = "把轮上的图片存为图片组…";
inline constexpr const char* kSet48ModeText = "48图模式";
inline constexpr const char* kDownloadAllText = "下载全部";
inline constexpr const char* kSetProgressName = "下载进度";
inline constexpr const char* kLoadingStatus = "正在载入图片：%1/%2";
inline constexpr const char* kSavedStatus = "已保存“%1”";

// A cell.
inline constexpr const char* kCellTitle = "第%1幅";
inline constexpr const char* kCellEmpty = "空";
inline constexpr const char* kCellDropHint = "拖入图片";
inline constexpr const char* kCellLoading = "载入中…";
inline constexpr const char* kOnWheelText = "轮上";
inline constexpr const char* kOnWheelUnknown = "未知";
inline constexpr const char* kOnWheelTip = "轮上的图片：%1（%2）";
inline constexpr const char* kDefaultAdjustments = "默认调整";
inline constexpr const char* kRotatedText = "旋转%1°";
inline constexpr const char* kFitWholeText = "完整显示";
inline constexpr const char* kCropText = "裁剪";
inline constexpr const char* kThresholdText = "阈值%1";
inline constexpr const char* kDitherText = "抖动";
inline constexpr const char* kOutlineText = "轮廓线";
inline constexpr const char* kInvertText = "反色";
inline constexpr const char* kChoosePictureMenuText = "选择图片…";
inline constexpr const char* kAdjustCellMenuText = "调整…";
inline constexpr const char* kClearCellMenuText = "清除";
inline constexpr const char* kAdjustCellTitle = "第%1幅的图片调整";
// What a screen reader says of a cell: its box, its picture, what the wheel
// light holds there.
inline constexpr const char* kCellAccessibleName = "第%1幅：%2，轮上：%3";
inline constexpr const char* kCellAccessibleDescription =
    "回车键或空格键选择图片，Delete键清除，菜单键打开菜单，方向键换到别的位置；也可以把图片文件拖到这里";
inline constexpr const char* kCellPreviewName = "风火轮效果";
inline constexpr const char* kOnWheelPreviewName = "轮上的图片";

// File dialogs.
inline constexpr const char* kOpenSetCaption = "打开图片组";
inline constexpr const char* kSaveSetCaption = "保存图片组";
inline constexpr const char* kChoosePictureCaption = "选择图片";
inline constexpr const char* kSaveRecordCaption = "把轮上的图片存为图片组";
inline constexpr const char* kSetFilter = "图片组(*.wheelset) (*.wheelset)";
// The name suggested for the pictures the wheel light holds, saved as a set.
inline constexpr const char* kRecordSetName = "风火轮上的图片";

// Questions and their buttons.
inline constexpr const char* kUnsavedQuestion = "图片组“%1”有没有保存的修改，要保存吗？";
inline constexpr const char* kSaveButton = "保存";
inline constexpr const char* kDiscardButton = "不保存";
inline constexpr const char* kCancelButton = "取消";
inline constexpr const char* kSkipQuestion = "以下位置的图片无法载入，下载时将跳过：\n%1\n仍然下载其余的图片吗？";
inline constexpr const char* kSkippedBox = "第%1幅：%2";
inline constexpr const char* kDownloadOthersButton = "下载其余的图片";
inline constexpr const char* kReplaceQuestion = "以下文件已经存在，要替换吗？\n%1";
inline constexpr const char* kReplaceButton = "替换";

// Messages.
inline constexpr const char* kEmptySetText = "图片组里还没有图片！";
inline constexpr const char* kNothingLoadsText = "图片组的图片都无法载入，没有可以下载的图片！";
inline constexpr const char* kNoRoomText = "从第%1幅起的空位放不下所有图片，以下图片没有放入：\n%2";
inline constexpr const char* kNothingKnownText =
    "还不知道风火轮上有哪些图片：只有本软件下载、风火轮确认收到的图片才有记录。";

} // namespace wheel
