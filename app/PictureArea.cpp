#include "app/PictureArea.h"

#include <QPainter>

#include <algorithm>

#include <opencv2/imgproc.hpp>

QImage MatToQImage(const cv::Mat& image)
{
    if (image.empty() || image.depth() != CV_8U)
        return {};
    cv::Mat rgb;
    switch (image.channels()) {
    case 1:
        cv::cvtColor(image, rgb, cv::COLOR_GRAY2RGB);
        break;
    case 3:
        cv::cvtColor(image, rgb, cv::COLOR_BGR2RGB);
        break;
    case 4:
        cv::cvtColor(image, rgb, cv::COLOR_BGRA2RGB);
        break;
    default:
        return {};
    }
    const QImage view(rgb.data, rgb.cols, rgb.rows, static_cast<qsizetype>(rgb.step), QImage::Format_RGB888);
    return view.copy();
}

CPictureArea::CPictureArea(QWidget* parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
}

void CPictureArea::SetImage(QImage image, Sharper sharper)
{
    m_image = std::move(image);
    m_sharper = std::move(sharper);
    m_sharp = QImage();
    update();
}

void CPictureArea::ClearImage()
{
    SetImage({});
}

QRect CPictureArea::PictureRect() const
{
    // Square in a square area, as the template has it; centred in an area a
    // larger font has made wider than tall (or taller), so that the round
    // preview stays round.
    const int side = std::min(width(), height());
    return QRect((width() - side) / 2, (height() - side) / 2, side, side);
}

QSize CPictureArea::DevicePixels() const
{
    return (QSizeF(PictureRect().size()) * devicePixelRatioF()).toSize();
}

void CPictureArea::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (m_image.isNull())
        return;
    QPainter painter(this);
    const QRect target = PictureRect();
    // Where the screen has more pixels than the image, an image that can be
    // drawn again at the screen's pixels is, rather than stretched blurry.
    const QSize device = DevicePixels();
    if (m_sharper && (device.width() > m_image.width() || device.height() > m_image.height())) {
        if (m_sharp.size() != device)
            m_sharp = m_sharper(device);
        if (!m_sharp.isNull()) {
            m_sharp.setDevicePixelRatio(devicePixelRatioF());
            painter.drawImage(target.topLeft(), m_sharp);
            return;
        }
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, m_image);
}

void DrawImageToControl(const cv::Mat& image, CPictureArea* control, CPictureArea::Sharper sharper)
{
    if (control == nullptr)
        return;
    QImage converted = MatToQImage(image);
    if (converted.isNull())
        return;
    control->SetImage(std::move(converted), std::move(sharper));
}
