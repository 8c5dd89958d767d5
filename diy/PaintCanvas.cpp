#include "diy/PaintCanvas.h"

#include "diy/CanvasText.h"
#include "diy/DiyTemplate.h"
#include "diy/TextFont.h"
#include "dialogs/Fonts.h"
#include "dialogs/Contrast.h"
#include "dialogs/Dialogs.h"
#include "io/LocalPath.h"
#include "texts/AppTitle.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace wheel {

std::optional<QFont> g_TextFont;
QFont g_TextLogFont;

QFont HeiTiFont()
{
    static const bool substituted = [] {
        InstallCjkFontSubstitutions();
        return true;
    }();
    (void)substituted;
    QFont font(QStringLiteral("黑体"));
    font.setPointSize(110);
    return font;
}

namespace {

const QColor kSurround(200, 200, 200);

QRect ToQRect(const CRect& r)
{
    return QRect(QPoint(r.left, r.top), QSize(r.Width(), r.Height()));
}

// The font a fresh off-screen image measures with before the canvas selects
// "黑体": a plain 16-pixel face, like the system font of a new memory DC.
QFont DefaultMemoryFont()
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(16);
    return font;
}

int LineHeight(const QFontMetrics& fm)
{
    return fm.height() + std::max(0, fm.leading());
}

QString AppTitle()
{
    return QString::fromUtf8(kApplicationTitle);
}

} // namespace

void DrawTrackerFrame(QPainter& painter, const CTextTracker& tracker, const CRect& rect)
{
    const CRect r = rect.Normalized();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    if (tracker.m_nStyle & CTextTracker::dottedLine) {
        painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
        painter.drawRect(QRect(r.left, r.top, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1)));
    }
    if (tracker.m_nStyle & CTextTracker::resizeInside) {
        CTextTracker at = tracker;
        at.m_rect = r;
        const int last = at.ShowsSideHandles(r) ? CTextTracker::hitLeft : CTextTracker::hitBottomLeft;
        for (int h = CTextTracker::hitTopLeft; h <= last; ++h)
            painter.fillRect(ToQRect(at.HandleRect(h)), Qt::black);
    }
    painter.restore();
}

CPaintCanvas::CPaintCanvas(QWidget* parent)
    : QWidget(parent), m_tracker(CRect{0, 0, 0, 0}, CTextTracker::dottedLine | CTextTracker::resizeInside)
{
    setAttribute(Qt::WA_OpaquePaintEvent);  // painting covers the whole client area
    setMouseTracking(true);
    // A click leaves the focus in the entry box, so that typing goes on after
    // a drag; Tab brings it here, where the arrow keys move the text box.
    // During a drag the canvas holds the keyboard (Escape cancels).
    setFocusPolicy(Qt::TabFocus);
}

CPaintCanvas::~CPaintCanvas() = default;

QFont CPaintCanvas::MeasuringFont() const
{
    return m_memFont.value_or(DefaultMemoryFont());
}

QFont CPaintCanvas::TextFont() const
{
    return g_TextFont.value_or(MeasuringFont());
}

bool CPaintCanvas::LoadBitmapFile(const QString& path, int* pnCapacity)
{
    bmp::BmpImage image;
    bmp::BmpError error = bmp::ReadBmpFile(wheel::LocalPath(path), image);
    QImage picture;
    QImage offscreen;
    if (error == bmp::BmpError::None) {
        picture = QImage(image.width, image.height, QImage::Format_RGB32);
        offscreen = QImage(image.width + 10, image.height + 10, QImage::Format_RGB32);
        if (picture.isNull() || offscreen.isNull())
            error = bmp::BmpError::TooLarge;
    }
    if (error != bmp::BmpError::None) {
        MessageBox::Show(this, QString::fromUtf8(bmp::BmpErrorText(error)), AppTitle());
        return false;
    }
    bmp::DecodeRows(image, reinterpret_cast<std::uint32_t*>(picture.bits()),
                    static_cast<std::size_t>(picture.bytesPerLine() / 4));
    offscreen.setDotsPerMeterX(kDotsPerMeter);
    offscreen.setDotsPerMeterY(kDotsPerMeter);

    m_bmp = std::move(image);
    m_picture = std::move(picture);
    m_offscreen = std::move(offscreen);
    m_overlay = QImage();
    int capacity = 1;
    CreateMemoryBitmap(&capacity);
    if (pnCapacity)
        *pnCapacity = capacity;
    LayoutCanvas();
    setCursor(Qt::PointingHandCursor);
    update();
    return true;
}

bool CPaintCanvas::CreateMemoryBitmap(int* pnCapacity)
{
    if (!m_bmp || m_bmp->bits.size() != m_bmp->imageSize || m_offscreen.isNull())
        return false;
    if (!m_bMemDC) {
        m_bMemDC = true;
        m_memFont.reset();
    }
    m_offscreen.fill(Qt::white);
    m_bFrameShown = false;
    m_display = QImage();
    {
        QPainter p(&m_offscreen);
        p.drawImage(0, 0, m_picture);
    }
    // Measured with the current font, before "黑体" is selected: a fresh
    // canvas counts with its default font, a reloaded one with "黑体".
    const QFontMetrics fm(MeasuringFont(), &m_offscreen);
    *pnCapacity = TextCapacity(m_bmp->width, m_bmp->height, fm.averageCharWidth(), LineHeight(fm));
    m_memFont = HeiTiFont();
    return true;
}

void CPaintCanvas::LayoutCanvas()
{
    const CanvasLayout layout = wheel::LayoutCanvas(CRect{0, 0, width(), height()}, m_bmp->width, m_bmp->height);
    m_rectDisplay = layout.display;
    m_tracker.m_rect = layout.box;
    const QFontMetrics fm(MeasuringFont(), &m_offscreen);
    m_tracker.SetMinSize(fm.maxWidth(), LineHeight(fm));
}

void CPaintCanvas::RenderCanvas()
{
    if (m_offscreen.isNull())
        return;
    {
        QPainter p(&m_offscreen);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, m_picture);
    }
    m_bFrameShown = false;
    m_display = QImage();
    if (!m_strText.isEmpty()) {
        QPainter p(&m_offscreen);
        DrawCanvasText(p);
    }
}

void CPaintCanvas::DrawCanvasText(QPainter& p) const
{
    const CRect box = m_tracker.m_rect.Offset(-m_rectDisplay.left, -m_rectDisplay.top);
    const CRect t = box.Offset(1, 1);
    // The lines are counted in the measuring font even when the user's
    // font draws them; word wrapping then breaks what is still too wide.
    const int w = WrapWidth(t.right - t.left, QFontMetrics(MeasuringFont(), &m_offscreen).averageCharWidth());
    QString wrapped = WrapCanvasText(m_strText, w);
    wrapped.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (t.IsEmpty())
        return;  // an inverted box clips everything away
    p.save();
    p.setClipRect(ToQRect(t));
    const QFont font = TextFont();
    p.setFont(font);
    p.setPen(Qt::black);
    // "黑体" puts its baseline at 0.859 em, and the layout's first box is
    // exactly one such line high. A substitute face with a taller ascent
    // would push the glyphs' feet out of the box, so its first baseline is
    // raised to where "黑体" has it (no shift for the real face).
    QRect target = ToQRect(t);
    if (!g_TextFont) {
        const QFontMetrics fm(font, &m_offscreen);
        const int shift = fm.ascent() - qRound(0.859 * QFontInfo(font).pixelSize());
        if (shift > 0)
            target.adjust(0, -shift, 0, 0);
    }
    p.drawText(target, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, wrapped);
    p.restore();
}

void CPaintCanvas::DrawTextBoxFrame()
{
    if (m_offscreen.isNull())
        return;
    QPainter p(&m_offscreen);
    DrawTrackerFrame(p, m_tracker, m_tracker.m_rect.Offset(-m_rectDisplay.left, -m_rectDisplay.top));
    m_bFrameShown = true;
    m_display = QImage();
}

const QImage& CPaintCanvas::DisplayImage(qreal ratio)
{
    // The composition again at the screen's pixels: the picture scaled up,
    // the text and the box frame drawn at full resolution, laid out exactly
    // as in the composition (which is what a save writes).
    const QSize logical(m_rectDisplay.Width(), m_rectDisplay.Height());
    const QSize device = (QSizeF(logical) * ratio).toSize();
    if (!m_display.isNull() && m_display.size() == device && m_display.devicePixelRatio() == ratio)
        return m_display;
    m_display = QImage(device, QImage::Format_RGB32);
    m_display.setDotsPerMeterX(kDotsPerMeter);
    m_display.setDotsPerMeterY(kDotsPerMeter);
    m_display.setDevicePixelRatio(ratio);
    QPainter p(&m_display);
    // Whole multiples keep the picture's pixels crisp; others are smoothed.
    p.setRenderHint(QPainter::SmoothPixmapTransform, ratio != std::floor(ratio));
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(logical)), m_picture, QRectF(QPointF(0, 0), QSizeF(logical)));
    if (!m_strText.isEmpty())
        DrawCanvasText(p);
    if (m_bFrameShown)
        DrawTrackerFrame(p, m_tracker, m_tracker.m_rect.Offset(-m_rectDisplay.left, -m_rectDisplay.top));
    return m_display;
}

void CPaintCanvas::SetCanvasText(const QString& text, bool bRedraw)
{
    m_strText = text;
    RenderCanvas();
    DrawTextBoxFrame();
    if (bRedraw)
        update();
}

bool CPaintCanvas::SaveBitmapFile(const QString& path)
{
    if (!m_bmp || m_bmp->imageSize == 0)
        return false;
    RenderCanvas();
    const std::vector<std::uint8_t> bytes =
        bmp::EncodeBmpFile(*m_bmp, reinterpret_cast<const std::uint32_t*>(m_offscreen.constBits()),
                           static_cast<std::size_t>(m_offscreen.bytesPerLine() / 4));
    if (bytes.empty() ||
        !SaveFileAtomically(path, reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()))) {
        MessageBox::Show(this, QStringLiteral("保存位图失败"), AppTitle());
        return false;
    }
    return true;
}

void CPaintCanvas::ShowOverlayImage(const QImage& image, const CRect& target)
{
    m_overlay = image;
    m_overlayRect = target;
    update();
}

void CPaintCanvas::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect c = rect();
    if (!m_bmp) {
        p.fillRect(c, kSurround);
        return;
    }
    const CRect& d = m_rectDisplay;
    p.fillRect(QRect(QPoint(c.left(), c.top()), QPoint(d.left - 1, c.bottom())), kSurround);
    p.fillRect(QRect(QPoint(d.right, c.top()), QPoint(c.right(), c.bottom())), kSurround);
    p.fillRect(QRect(QPoint(d.left, c.top()), QPoint(d.right - 1, d.top - 1)), kSurround);
    p.fillRect(QRect(QPoint(d.left, d.bottom), QPoint(d.right - 1, c.bottom())), kSurround);
    const qreal ratio = devicePixelRatioF();
    if (ratio > 1.0)
        p.drawImage(QPoint(d.left, d.top), DisplayImage(ratio));
    else
        p.drawImage(QPoint(d.left, d.top), m_offscreen, QRect(0, 0, d.Width(), d.Height()));
    if (!m_overlay.isNull())
        p.drawImage(QPoint(m_overlayRect.left, m_overlayRect.top), m_overlay);
    if (hasFocus()) {
        // The focus: a frame at the canvas's edge, on the grey surround.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ReadableOn(palette().color(QPalette::Highlight), kSurround, 3.0), 2));
        p.drawRect(QRectF(c).adjusted(1, 1, -1, -1));
    }
    if (m_tracker.IsTracking()) {
        // The rubber band: the proposed box, visible on light and dark.
        const CRect r = m_tracker.TrackingRect().Normalized();
        const QRect band(r.left, r.top, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 0, Qt::SolidLine));
        p.drawRect(band);
        p.setPen(QPen(Qt::black, 0, Qt::DashLine));
        p.drawRect(band);
    }
}

void CPaintCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_bmp && m_tracker.BeginTrack(event->position().toPoint())) {
        grabKeyboard();
        update();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CPaintCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (m_tracker.IsTracking()) {
        m_tracker.MoveTrack(event->position().toPoint());
        update();
        return;
    }
    OnSetCursor(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void CPaintCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_tracker.IsTracking()) {
        m_tracker.MoveTrack(event->position().toPoint());
        FinishTrack(true);
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CPaintCanvas::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_tracker.IsTracking()) {
        FinishTrack(false);
        return;
    }
    // Arrows move the text box by a pixel, ten with Shift; with Ctrl they
    // move its bottom right corner, as dragging that handle does.
    int dx = 0;
    int dy = 0;
    switch (event->key()) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    default: break;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((dx == 0 && dy == 0) || !m_bmp || (modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier))) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int step = (modifiers & Qt::ShiftModifier) ? 10 : 1;
    const int hit = (modifiers & Qt::ControlModifier) ? CTextTracker::hitBottomRight : CTextTracker::hitMiddle;
    if (m_tracker.Nudge(hit, dx * step, dy * step)) {
        RenderCanvas();
        DrawTextBoxFrame();
        update();
    }
    event->accept();
}

void CPaintCanvas::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void CPaintCanvas::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void CPaintCanvas::FinishTrack(bool keep)
{
    releaseKeyboard();
    if (keep)
        m_tracker.EndTrack();
    else
        m_tracker.CancelTrack();
    RenderCanvas();
    DrawTextBoxFrame();
    update();
}

void CPaintCanvas::OnSetCursor(QPoint p)
{
    const int hit = m_tracker.HitTest(p);
    if (hit != CTextTracker::hitNothing)
        setCursor(CTextTracker::CursorFor(hit));
    else
        unsetCursor();
}

} // namespace wheel
