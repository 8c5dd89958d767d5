#pragma once
// What the device protocol does to the window. The main window implements it
// by queuing each call to its own thread; tests and wheelctl record or print.
//
// Contract for implementations:
// - Calls arrive from the window's thread (handlers, watchdog, removal) and
//   from the thread that delivers the device's answers. The protocol makes
//   them one at a time, under its own lock, in the order the user must see
//   them. An implementation must not block and must not call back into the
//   protocol.
// - The window applies them on its thread strictly in that order, one at a
//   time, and holds the rest of the queue while a message box is open: a box
//   shown before EnableOperationButtons(true) is dismissed before the buttons
//   come back, and the progress shown before a box stays until it is closed.
// - The window sends the USB link's own log lines through the same queue, so
//   that "尝试连接风火轮" comes before the message box that follows it.

#include "protocol/DownloadList.h"

#include <cstdint>
#include <string>
#include <vector>

namespace wheel {

class IProtocolView {
public:
    virtual ~IProtocolView() = default;

    // One line at the end of the message log, stamped " (hh:mm:ss)" when
    // withTime, always followed by a line break.
    virtual void AppendLog(const std::string& text, bool withTime) = 0;

    // Replaces the whole text of the message log (and m_strLog) by `text`.
    virtual void ReplaceLog(const std::string& text) = 0;

    // A modal OK-only box without an icon.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;

    // Progress bar position and the text ProgressText(percent) beside it.
    virtual void SetProgress(int percent) = 0;

    // Enables or disables "打开图片", "下载-->GO" and "恢复出厂设置".
    virtual void EnableOperationButtons(bool enable) = 0;

    // Ticks or clears all twenty slot boxes and m_slotChecks, in label order.
    virtual void SetAllSlotBoxes(bool ticked) = 0;

    // Ticks or clears "48图模式" and m_b48Mode.
    virtual void Set48Mode(bool ticked) = 0;

    // For the record of what the wheel light holds: a download is about to
    // write these slots, in this order. Called on the thread that starts the
    // download before anything is sent; unlike the other calls it may take
    // the time to write a small file ...
    virtual void DownloadStarting(const std::vector<std::uint8_t>& slotBytes) { (void)slotBytes; }
    // ... and it ended, completed or not, leaving the slots as `outcome` says.
    // Comes before the download's last log line and message box.
    virtual void DownloadEnded(const DownloadOutcome& outcome) { (void)outcome; }
};

// "下载进度:" followed by the percentage and "%", no blank in between.
inline std::string ProgressText(int percent)
{
    return "下载进度:" + std::to_string(percent) + "%";
}

} // namespace wheel
