#pragma once
// The drawing surface of the DIY dialog: one true-colour BMP shown centred
// with a grey surround, and one block of text over it inside a text box that
// the user moves and resizes with the mouse.
//
// The picture rows stay as read from the file; an off-screen image 10 pixels
// larger each way holds the composition (picture, then text, then the box
// frame) and painting only copies it. Saving recomposes without the frame.

#include "diy/BmpFile.h"
#include "diy/TextTracker.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

#include <optional>

class QPainter;

namespace wheel {

class CPaintCanvas : public QWidget {
    Q_OBJECT
public:
    explicit CPaintCanvas(QWidget* parent = nullptr);
    ~CPaintCanvas() override;

    // Loads a BMP without a colour table and lays it out; `pnCapacity`
    // receives the number of characters the picture can hold. A refused file
    // gets its message box and leaves the canvas as it was.
    bool LoadBitmapFile(const QString& path, int* pnCapacity);
    // Writes the picture with the text (never the box frame) to `path`
    // through a temporary file. False without a message when nothing is
    // loaded; "保存位图失败" when the file cannot be written.
    bool SaveBitmapFile(const QString& path);
    // Replaces the text, recomposes, draws the box frame and (with bRedraw)
    // repaints.
    void SetCanvasText(const QString& text, bool bRedraw);

    // Shows `image` in `target` until the next load (the dialog's quick look
    // at a freshly saved file).
    void ShowOverlayImage(const QImage& image, const CRect& target);

    bool HasPicture() const { return m_bmp.has_value(); }
    const CRect& DisplayRect() const { return m_rectDisplay; }
    const CTextTracker& Tracker() const { return m_tracker; }
    CTextTracker& Tracker() { return m_tracker; }
    const QImage& Composed() const { return m_offscreen; }
    // What the canvas shows of the composition on a screen of `ratio` device
    // pixels per pixel (above 1): the same, drawn at the screen's pixels.
    const QImage& DisplayImage(qreal ratio);
    const QString& CanvasText() const { return m_strText; }
    // The font the text is drawn in: the one chosen last, else the canvas's own.
    QFont TextFont() const;
    const bmp::BmpImage* Picture() const { return m_bmp ? &*m_bmp : nullptr; }

    // The off-screen image's resolution; fonts given in points are measured
    // and drawn at it.
    static constexpr int kDotsPerMeter = 3780;  // 96 dpi

protected:
    void paintEvent(QPaintEvent*) override;            // OnPaint
    void mousePressEvent(QMouseEvent* event) override; // OnLButtonDown
    void mouseMoveEvent(QMouseEvent* event) override;  // tracking and OnSetCursor
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Escape cancels a drag; the arrows move and resize the text box.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool CreateMemoryBitmap(int* pnCapacity);
    void LayoutCanvas();
    void RenderCanvas();
    void DrawCanvasText(QPainter& p) const;
    void DrawTextBoxFrame();
    void OnSetCursor(QPoint p);
    QFont MeasuringFont() const;
    void FinishTrack(bool keep);

    std::optional<bmp::BmpImage> m_bmp;   // info block and rows
    QImage m_picture;                     // the rows, decoded once per load
    QImage m_offscreen;                   // (w + 10) x (h + 10) composition
    bool m_bMemDC = false;                // the off-screen font state exists
    std::optional<QFont> m_memFont;       // its current font; none = default
    QString m_strText;
    CRect m_rectDisplay;
    CTextTracker m_tracker;
    QImage m_display;                     // the composition at the screen's pixels (ratio > 1)
    bool m_bFrameShown = false;           // the composition holds the box frame
    QImage m_overlay;
    CRect m_overlayRect;
};

// Draws the tracker's dotted frame and its handles at `r`.
void DrawTrackerFrame(QPainter& painter, const CTextTracker& tracker, const CRect& r);

} // namespace wheel
