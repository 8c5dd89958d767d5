#pragma once
// The picture the editor holds: the loaded picture, its round preview and the
// block the rendering fills. Plain C++; the window and wheelctl both use it, so
// the preview wheelctl writes is the one the window shows.

#include "picture/PictureAdjustments.h"
#include "picture/PictureFile.h"
#include "picture/WheelFrame.h"

#include <opencv2/core.hpp>

namespace wheel {

class WheelPicture {
public:
    WheelPicture();

    // Takes a successfully loaded picture, with the adjustments it was loaded
    // with (the defaults for a picture opened anew); the previous one is
    // released.
    void SetPicture(LoadedPicture picture);

    enum class RenderResult { NoPicture, AlreadyRendered, Rendered };
    // Renders the preview and the frame of the current picture once; the
    // block's trailer becomes mode48, 0xAA, 0xAA, 0xAA.
    RenderResult RenderWheel(std::uint8_t mode48);

    // A picture loaded with LoadOptions::keepGray can be adjusted while open.
    bool CanAdjust() const { return m_bPictureLoaded && !m_gray.empty() && m_adjustments.IsValid(); }
    // Makes the working picture and the shown colour copy anew for
    // `adjustments`, so that the next RenderWheel renders them. False, with
    // nothing changed, when the picture cannot be adjusted or an adjustment
    // is out of range; true when the adjustments are now the given ones.
    bool Adjust(const PictureAdjustments& adjustments);
    const PictureAdjustments& Adjustments() const { return m_adjustments; }
    // Otsu's threshold of the picture (the same at every rotation), where a
    // manual threshold may start from.
    int OtsuThreshold() const { return m_nOtsuThreshold; }
    // The threshold in use: the manual one, or Otsu's.
    int Threshold() const { return m_adjustments.threshold.value_or(m_nOtsuThreshold); }

    bool PictureLoaded() const { return m_bPictureLoaded != 0; }
    bool PreviewDone() const { return m_bPreviewDone != 0; }

    // The colour copy as decoded; Shown() is that copy rotated and framed as
    // the wheel uses the picture (the same image with the default adjustments).
    const cv::Mat& Original() const { return m_original; }
    const cv::Mat& Shown() const { return m_shown; }
    const cv::Mat& Work() const { return m_work; }
    const cv::Mat& Preview() const { return m_preview; }
    // The rendered frame as the wheel's 164 x 24 LEDs (RenderLedView), the
    // same size as Preview().
    cv::Mat LedView() const;
    const TransferBlock& Block() const { return m_transferBlock; }
    TransferBlock& Block() { return m_transferBlock; }
    WheelFrame Frame() const;

private:
    cv::Mat m_original;
    cv::Mat m_shown;
    cv::Mat m_gray;    // full size, turned by m_adjustments.rotate; empty when not adjustable
    cv::Mat m_binary;  // the binarised, framed picture; kept only to reuse its memory
    cv::Mat m_work;
    cv::Mat m_preview;
    TransferBlock m_transferBlock{};
    PictureAdjustments m_adjustments;
    int m_nOtsuThreshold = 0;
    int m_bPictureLoaded = 0;
    int m_bPreviewDone = 0;
};

} // namespace wheel
