#include "picture/WheelPicture.h"

#include "picture/RenderWheel.h"

#include <algorithm>

namespace wheel {

WheelPicture::WheelPicture()
    : m_preview(MakeBlankPreview())
{
}

void WheelPicture::SetPicture(LoadedPicture picture)
{
    m_original = std::move(picture.original);
    m_work = std::move(picture.work);
    m_bPreviewDone = 0;
    m_bPictureLoaded = 1;
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

WheelFrame WheelPicture::Frame() const
{
    WheelFrame frame{};
    std::copy_n(m_transferBlock.begin(), kFrameBytes, frame.begin());
    return frame;
}

} // namespace wheel
