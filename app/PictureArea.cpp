#include "app/PictureArea.h"

#include <QPainter>

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

void CPictureArea::SetImage(QImage image)
{
    m_image = std::move(image);
    update();
}

void CPictureArea::ClearImage()
{
    m_image = QImage();
    update();
}

void CPictureArea::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(rect(), m_image);
}

void DrawImageToControl(const cv::Mat& image, CPictureArea* control)
{
    if (control == nullptr)
        return;
    QImage converted = MatToQImage(image);
    if (converted.isNull())
        return;
    control->SetImage(std::move(converted));
}
