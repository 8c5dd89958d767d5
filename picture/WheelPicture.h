#pragma once
// The picture the editor holds: the loaded picture, its round preview and the
// block the rendering fills. Plain C++; the window and wheelctl both use it, so
// the preview wheelctl writes is the one the window shows.

#include "picture/PictureFile.h"
#include "picture/WheelFrame.h"

#include <opencv2/core.hpp>

namespace wheel {

class WheelPicture {
public:
    WheelPicture();

    // Takes a successfully loaded picture; the previous one is released.
    void SetPicture(LoadedPicture picture);

    enum class RenderResult { NoPicture, AlreadyRendered, Rendered };
    // Renders the preview and the frame of the current picture once; the
    // block's trailer becomes mode48, 0xAA, 0xAA, 0xAA.
    RenderResult RenderWheel(std::uint8_t mode48);

    bool PictureLoaded() const { return m_bPictureLoaded != 0; }
    bool PreviewDone() const { return m_bPreviewDone != 0; }

    const cv::Mat& Original() const { return m_original; }
    const cv::Mat& Work() const { return m_work; }
    const cv::Mat& Preview() const { return m_preview; }
    const TransferBlock& Block() const { return m_transferBlock; }
    TransferBlock& Block() { return m_transferBlock; }
    WheelFrame Frame() const;

private:
    cv::Mat m_original;
    cv::Mat m_work;
    cv::Mat m_preview;
    TransferBlock m_transferBlock{};
    int m_bPictureLoaded = 0;
    int m_bPreviewDone = 0;
};

} // namespace wheel
