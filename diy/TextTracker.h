#pragma once
// The canvas's text box: a rectangle with a dotted frame and resize handles
// inside it, which the user moves by its middle and resizes by its handles.
// Every rectangle a drag proposes goes through AdjustRect, which keeps the box
// at least the minimum size (and inside the bounds, when they are set).
//
// The geometry and the drag state live here, free of widgets; the canvas
// draws the frame and sets the cursors from it.

#include <QPoint>
#include <Qt>

namespace wheel {

// A rectangle as the canvas measures it: right and bottom are exclusive and
// may lie left of or above left and top until normalised.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CRect Normalized() const;
    CRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool Contains(QPoint p) const { return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const CRect&) const = default;
};

class CTextTracker {
public:
    enum Style : unsigned { dottedLine = 2, resizeInside = 8 };
    enum Hit {
        hitNothing = -1,
        hitTopLeft = 0,
        hitTopRight = 1,
        hitBottomRight = 2,
        hitBottomLeft = 3,
        hitTop = 4,
        hitRight = 5,
        hitBottom = 6,
        hitLeft = 7,
        hitMiddle = 8,
    };

    CTextTracker() = default;
    CTextTracker(const CRect& rect, unsigned style) : m_rect(rect), m_nStyle(style) {}
    virtual ~CTextTracker() = default;

    CRect m_rect;
    unsigned m_nStyle = dottedLine | resizeInside;
    int m_nHandleSize = 7;

    // Fails and changes nothing for a negative width or height.
    bool SetMinSize(int cx, int cy);
    void SetBounds(const CRect& bounds);
    void SetBounds(int left, int top, int right, int bottom) { SetBounds(CRect{left, top, right, bottom}); }

    // Normalises `r`, widens it to the minimum size keeping its left and top
    // edges, then clamps it into the bounds when they are set. The handle is
    // not looked at: moves and resizes get the same rule.
    virtual void AdjustRect(int hit, CRect& r);
    virtual void OnChangedRect(const CRect&) {}

    int MinWidth() const { return m_nMinWidth; }
    int MinHeight() const { return m_nMinHeight; }
    bool IsBounded() const { return m_bBounded; }

    // What lies under `p`: a handle, the middle, or nothing. Looks at the
    // normalised rectangle.
    int HitTest(QPoint p) const;
    // The handle squares, inside the normalised rectangle.
    CRect HandleRect(int handle) const;
    // Whether the side handles are shown (the box is long enough for them).
    bool ShowsSideHandles(const CRect& r) const;
    // Move cursor over the middle, resize cursors over the handles.
    static Qt::CursorShape CursorFor(int hit);

    // A drag: Begin at the pressed point (false when it misses the box),
    // Move with every mouse position (the proposed rectangle after
    // AdjustRect is TrackingRect), then End to keep it or Cancel to put the
    // old rectangle back.
    bool BeginTrack(QPoint p);
    void MoveTrack(QPoint p);
    bool EndTrack();
    void CancelTrack();
    bool IsTracking() const { return m_trackHit != hitNothing; }
    const CRect& TrackingRect() const { return m_trackRect; }

    // The keyboard's drag: the handle `hit` (hitMiddle moves) taken by (dx, dy)
    // at once, through AdjustRect as a drag would be. True when the box changed.
    bool Nudge(int hit, int dx, int dy);

    // The rectangle a drag from `start` by (dx, dy) proposes, before AdjustRect.
    static CRect ProposeRect(const CRect& start, int hit, int dx, int dy);

private:
    bool m_bBounded = false;
    CRect m_rectBounds{0, 0, 100, 100};
    int m_nMinHeight = 5;
    int m_nMinWidth = 5;

    int m_trackHit = hitNothing;
    QPoint m_trackStart;
    CRect m_trackStartRect;
    CRect m_trackRect;
};

// Where the canvas shows a picture of w x h in its client area, and the text
// box a fresh picture gets.
struct CanvasLayout {
    CRect display;
    CRect box;
};
CanvasLayout LayoutCanvas(const CRect& client, int w, int h);

// Characters the entry box may take for a picture of w x h, from the average
// character width and the line height of the measuring font; 0 becomes 1.
int TextCapacity(int w, int h, int aveCharWidth, int lineHeight);

} // namespace wheel
