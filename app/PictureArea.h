#pragma once
// A picture area of the main window: shows the image it was last given,
// stretched over its whole rectangle, and nothing before that.

#include <QFrame>
#include <QImage>

#include <opencv2/core.hpp>

// cv::Mat (8-bit, 1, 3 or 4 channels in OpenCV's BGR order) to a QImage that
// owns its pixels. An empty or unsupported image gives a null QImage.
QImage MatToQImage(const cv::Mat& image);

class CPictureArea : public QFrame {
    Q_OBJECT
public:
    explicit CPictureArea(QWidget* parent = nullptr);

    void SetImage(QImage image);
    void ClearImage();
    const QImage& Image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

// Draws the image stretched into the control (the area's whole rectangle).
void DrawImageToControl(const cv::Mat& image, CPictureArea* control);
