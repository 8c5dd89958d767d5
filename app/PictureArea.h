#pragma once
// A picture area of the main window: shows the image it was last given,
// stretched over its whole rectangle, and nothing before that.

#include <QFrame>
#include <QImage>

#include <functional>

#include <opencv2/core.hpp>

// cv::Mat (8-bit, 1, 3 or 4 channels in OpenCV's BGR order) to a QImage that
// owns its pixels. An empty or unsupported image gives a null QImage.
QImage MatToQImage(const cv::Mat& image);

class CPictureArea : public QFrame {
    Q_OBJECT
public:
    // Draws the image anew at a size in device pixels, for screens where the
    // area has more of them than the image.
    using Sharper = std::function<QImage(QSize devicePixels)>;

    explicit CPictureArea(QWidget* parent = nullptr);

    void SetImage(QImage image, Sharper sharper = {});
    void ClearImage();
    const QImage& Image() const { return m_image; }
    // Where the image goes: the largest centred square, and its size in the
    // screen's pixels.
    QRect PictureRect() const;
    QSize DevicePixels() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    Sharper m_sharper;
    QImage m_sharp;   // the last image the sharper drew
};

// Draws the image stretched into the control (the area's whole rectangle),
// or what `sharper` draws at the screen's pixels where they are more.
void DrawImageToControl(const cv::Mat& image, CPictureArea* control, CPictureArea::Sharper sharper = {});
