#include "diy/TextTracker.h"

#include <algorithm>
#include <utility>

namespace wheel {

CRect CRect::Normalized() const
{
    CRect r = *this;
    if (r.right < r.left)
        std::swap(r.left, r.right);
    if (r.bottom < r.top)
        std::swap(r.top, r.bottom);
    return r;
}

bool CTextTracker::SetMinSize(int cx, int cy)
{
    if (cx < 0 || cy < 0)
        return false;
    m_nMinWidth = cx;
    m_nMinHeight = cy;
    return true;
}

void CTextTracker::SetBounds(const CRect& bounds)
{
    m_rectBounds = bounds;
    m_bBounded = true;
}

void CTextTracker::AdjustRect(int /*hit*/, CRect& r)
{
    r = r.Normalized();
    if (r.right - r.left < m_nMinWidth)
        r.right = r.left + m_nMinWidth;
    if (r.bottom - r.top < m_nMinHeight)
        r.bottom = r.top + m_nMinHeight;
    if (m_bBounded) {
        const CRect& b = m_rectBounds;
        int left = std::max(r.left, b.left);
        int right = std::max(r.right, b.left + m_nMinWidth);
        if (b.right < left + m_nMinWidth)
            left = b.right - m_nMinWidth;
        right = std::min(right, b.right);
        int top = std::max(r.top, b.top);
        int bottom = std::max(r.bottom, b.top + m_nMinHeight);
        if (b.bottom < top + m_nMinHeight)
            top = b.bottom - m_nMinHeight;
        bottom = std::min(bottom, b.bottom);
        r = {left, top, right, bottom};
    }
}

bool CTextTracker::ShowsSideHandles(const CRect& r) const
{
    return r.Width() > 3 * m_nHandleSize && r.Height() > 3 * m_nHandleSize;
}

CRect CTextTracker::HandleRect(int handle) const
{
    const CRect r = m_rect.Normalized();
    const int s = m_nHandleSize;
    const int cx = r.left + (r.Width() - s) / 2;
    const int cy = r.top + (r.Height() - s) / 2;
    switch (handle) {
    case hitTopLeft: return {r.left, r.top, r.left + s, r.top + s};
    case hitTopRight: return {r.right - s, r.top, r.right, r.top + s};
    case hitBottomRight: return {r.right - s, r.bottom - s, r.right, r.bottom};
    case hitBottomLeft: return {r.left, r.bottom - s, r.left + s, r.bottom};
    case hitTop: return {cx, r.top, cx + s, r.top + s};
    case hitRight: return {r.right - s, cy, r.right, cy + s};
    case hitBottom: return {cx, r.bottom - s, cx + s, r.bottom};
    case hitLeft: return {r.left, cy, r.left + s, cy + s};
    default: return {};
    }
}

int CTextTracker::HitTest(QPoint p) const
{
    const CRect r = m_rect.Normalized();
    if (!r.Contains(p))
        return hitNothing;
    if (m_nStyle & resizeInside) {
        const int last = ShowsSideHandles(r) ? hitLeft : hitBottomLeft;
        for (int h = hitTopLeft; h <= last; ++h)
            if (HandleRect(h).Contains(p))
                return h;
    }
    return hitMiddle;
}

Qt::CursorShape CTextTracker::CursorFor(int hit)
{
    switch (hit) {
    case hitTopLeft:
    case hitBottomRight: return Qt::SizeFDiagCursor;
    case hitTopRight:
    case hitBottomLeft: return Qt::SizeBDiagCursor;
    case hitTop:
    case hitBottom: return Qt::SizeVerCursor;
    case hitLeft:
    case hitRight: return Qt::SizeHorCursor;
    case hitMiddle: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

CRect CTextTracker::ProposeRect(const CRect& start, int hit, int dx, int dy)
{
    CRect r = start;
    switch (hit) {
    case hitMiddle: return start.Offset(dx, dy);
    case hitTopLeft: r.left += dx; r.top += dy; break;
    case hitTopRight: r.right += dx; r.top += dy; break;
    case hitBottomRight: r.right += dx; r.bottom += dy; break;
    case hitBottomLeft: r.left += dx; r.bottom += dy; break;
    case hitTop: r.top += dy; break;
    case hitRight: r.right += dx; break;
    case hitBottom: r.bottom += dy; break;
    case hitLeft: r.left += dx; break;
    default: break;
    }
    return r;
}

bool CTextTracker::BeginTrack(QPoint p)
{
    const int hit = HitTest(p);
    if (hit == hitNothing)
        return false;
    m_trackHit = hit;
    m_trackStart = p;
    m_trackStartRect = m_rect.Normalized();
    m_trackRect = m_rect;
    return true;
}

void CTextTracker::MoveTrack(QPoint p)
{
    if (!IsTracking())
        return;
    CRect r = ProposeRect(m_trackStartRect, m_trackHit, p.x() - m_trackStart.x(), p.y() - m_trackStart.y());
    AdjustRect(m_trackHit, r);
    m_trackRect = r;
}

bool CTextTracker::EndTrack()
{
    if (!IsTracking())
        return false;
    const bool changed = !(m_trackRect == m_rect);
    m_rect = m_trackRect;
    m_trackHit = hitNothing;
    if (changed)
        OnChangedRect(m_rect);
    return changed;
}

bool CTextTracker::Nudge(int hit, int dx, int dy)
{
    if (IsTracking())
        return false;
    CRect r = ProposeRect(m_rect.Normalized(), hit, dx, dy);
    AdjustRect(hit, r);
    if (r == m_rect)
        return false;
    m_rect = r;
    OnChangedRect(m_rect);
    return true;
}

void CTextTracker::CancelTrack()
{
    m_trackHit = hitNothing;
}

CanvasLayout LayoutCanvas(const CRect& client, int w, int h)
{
    CanvasLayout out;
    CRect& d = out.display;
    const int cw = client.right - client.left;
    const int ch = client.bottom - client.top;
    if (cw > 0 && static_cast<double>(w) / cw < 1.0) {
        d.left = client.left + (client.right - w - client.left) / 2;
        d.right = d.left + w;
    } else {
        d.left = client.left;
        d.right = client.right;
    }
    if (ch > 0 && static_cast<double>(h) / ch < 1.0) {
        d.top = client.top + (client.bottom - h - client.top) / 2;
        d.bottom = d.top + h;
    } else {
        d.top = client.top;
        d.bottom = client.bottom;
    }
    out.box = {d.left + 10, d.top + 10, d.right - 10, d.bottom - 280};
    return out;
}

int TextCapacity(int w, int h, int aveCharWidth, int lineHeight)
{
    if (aveCharWidth <= 0 || lineHeight <= 0)
        return 1;
    const long long cap = static_cast<long long>((w - 20) / aveCharWidth) * ((h - 20) / lineHeight);
    if (cap == 0)
        return 1;
    return static_cast<int>(std::clamp<long long>(cap, -0x7FFFFFFF, 0x7FFFFFFF));
}

} // namespace wheel
