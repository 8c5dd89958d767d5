#include "picture/WheelPicture.h"

#include "picture/AdjustPicture.h"
#include "picture/RenderWheel.h"

#include <algorithm>
#include <new>

namespace wheel {

WheelPicture::WheelPicture()
    : m_preview(MakeBlankPreview())
{
}

void WheelPicture::SetPicture(LoadedPicture picture)
{
    m_original = std::move(picture.original);
    m_adjustments = picture.adjustments;
    m_shown = FrameColour(m_original, m_adjustments);
    m_gray = std::move(picture.gray);
    m_binary = cv::Mat();
    m_work = std::move(picture.work);
    m_nOtsuThreshold = picture.threshold;
    m_bPreviewDone = 0;
    m_bPictureLoaded = 1;
}

bool WheelPicture::Adjust(const PictureAdjustments& adjustments)
{
    if (!CanAdjust() || !adjustments.IsValid())
        return false;
    if (adjustments == m_adjustments)
        return true;
    const PictureAdjustments& before = m_adjustments;
    // Made aside and taken over at the end, so that a picture too large for
    // the memory left stays as it was. The binarised picture is only scratch.
    try {
        cv::Mat gray = m_gray;
        cv::Mat binary = std::move(m_binary);
        if (adjustments.rotate != before.rotate) {
            // The binarised picture is made anew below, so its memory takes
            // the turned grey picture and the other way round.
            if (binary.total() != gray.total())
                binary.release();
            cv::Mat turned = binary;
            RotatePicture(m_gray, turned, RotationBetween(before.rotate, adjustments.rotate));
            binary = gray;
            gray = turned;
        }
        const bool reframed = adjustments.rotate != before.rotate || adjustments.fit != before.fit
                              || adjustments.invert != before.invert;
        cv::Mat shown = reframed ? FrameColour(m_original, adjustments) : m_shown;
        // From here on the old grey picture's memory may be overwritten.
        const int threshold = adjustments.threshold.value_or(m_nOtsuThreshold);
        cv::Mat work = adjustments.tone == Tone::Threshold
                           ? MakeAdjustedWork(gray, threshold, adjustments.fit, adjustments.invert, &binary)
                           : MakeToneWork(gray, adjustments);
        m_shown = std::move(shown);
        m_gray = std::move(gray);
        m_binary = std::move(binary);
        m_work = std::move(work);
    } catch (const cv::Exception&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_adjustments = adjustments;
    m_bPreviewDone = 0;
    return true;
}

WheelPicture::RenderResult WheelPicture::RenderWheel(std::uint8_t mode48)
{
    if (!m_bPictureLoaded)
        return RenderResult::NoPicture;
    if (m_bPreviewDone)
        return RenderResult::AlreadyRendered;
    m_bPreviewDone = 1;
    RenderPreview(m_work, m_preview);
    WheelFrame frame{};
    RenderFrame(m_work, frame);
    m_transferBlock = MakeTransferBlock(frame, mode48);
    return RenderResult::Rendered;
}

cv::Mat WheelPicture::LedView() const
{
    return RenderLedView(Frame());
}

WheelFrame WheelPicture::Frame() const
{
    return FrameOfBlock(m_transferBlock);
}

} // namespace wheel
