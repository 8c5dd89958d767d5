#pragma once
// Windows laid out from a dialog template: controls at fixed rectangles that
// the template measures in dialog units, which follow the dialog's font. The
// .ui files hold those rectangles in pixels for the editor's default font.
// When another font is in force (a desktop theme's font, a larger size, a
// different resolution), the rectangles are scaled by that font's dialog base
// units (average character width, line height) against the default font's,
// so that every text stays whole and the proportions stay the template's.
// With the default font nothing moves by a pixel.

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSizeF>

#include <vector>

class QPaintDevice;
class QWidget;

namespace wheel {

// A font's dialog base units in pixels: the average width of the Latin
// letters, the width of a Chinese character (which may come from a fallback
// face) and the height of a line that holds both.
struct DialogBaseUnits {
    qreal averageWidth = 0;
    qreal ideographWidth = 0;
    qreal lineHeight = 0;
};
// Measured on `device` (its resolution turns points into pixels); null for
// the screen's.
DialogBaseUnits MeasureBaseUnits(const QFont& font, QPaintDevice* device = nullptr);

// How much larger the template's rectangles get for `font` than for
// `reference`. Never below 1: a smaller font keeps the template's pixels, so
// that check box squares and frames, which do not shrink with the text,
// never squeeze it.
QSizeF TemplateScale(const DialogBaseUnits& font, const DialogBaseUnits& reference);

// A template rectangle at `scale`. Its edges are scaled, not its size, so that
// controls that meet or line up in the template still do.
QRect ScaleTemplateRect(const QRect& rect, QSizeF scale);

// Keeps the direct children of `container` (and its own fixed size) at the
// template's rectangles scaled for the container's font, now and whenever the
// font changes. The rectangles the children have when they are first seen
// (on construction, or on the next font change or show for children added
// later) are taken as the template's.
class CTemplateLayout : public QObject {
    Q_OBJECT
public:
    // `reference` is the font the template's pixels were measured with, and
    // `referenceDevice` where (null: the screen; a 96-dpi image for a font in
    // points that the template gives at 96 dpi).
    CTemplateLayout(QWidget* container, const QFont& reference, QPaintDevice* referenceDevice = nullptr);

    // A child whose owner sets its geometry itself keeps it.
    void KeepGeometry(QWidget* child);

    QSizeF Scale() const { return m_scale; }
    // Lays the controls out for the container's font now.
    void Apply();

    // The layout of a window, or null when it has none.
    static CTemplateLayout* Of(const QWidget* container);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Control {
        QPointer<QWidget> widget;
        QRect rect;   // the template's
        bool kept = false;
    };
    bool Record();   // true when it found children it did not know

    QWidget* m_container;
    DialogBaseUnits m_reference;
    QSize m_size;   // the container's, in the template
    std::vector<Control> m_controls;
    QSizeF m_scale{1.0, 1.0};
};

} // namespace wheel
