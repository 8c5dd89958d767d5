#include "app/WindowPlacement.h"

#include <algorithm>
#include <optional>
#include <set>
#include <tuple>

namespace wheel {

namespace {

long long Area(const QRect& r)
{
    return r.isValid() ? static_cast<long long>(r.width()) * r.height() : 0;
}

long long Covered(const QRect& window, const std::vector<QRect>& rects)
{
    long long covered = 0;
    for (const QRect& r : rects)
        covered += Area(window.intersected(r));
    return covered;
}

// The largest rectangles of `area` that meet none of `obstacles`: their edges
// lie on the area's edges or next to an obstacle's.
std::vector<QRect> FreeRectangles(const QRect& area, const std::vector<QRect>& obstacles)
{
    std::set<int> lefts{area.left()}, rights{area.right()}, tops{area.top()}, bottoms{area.bottom()};
    for (const QRect& o : obstacles) {
        lefts.insert(o.right() + 1);
        rights.insert(o.left() - 1);
        tops.insert(o.bottom() + 1);
        bottoms.insert(o.top() - 1);
    }
    std::vector<QRect> free;
    for (int left : lefts)
        for (int right : rights) {
            if (left < area.left() || right > area.right() || right < left)
                continue;
            for (int top : tops)
                for (int bottom : bottoms) {
                    if (top < area.top() || bottom > area.bottom() || bottom < top)
                        continue;
                    const QRect r(QPoint(left, top), QPoint(right, bottom));
                    if (std::none_of(obstacles.begin(), obstacles.end(), [&r](const QRect& o) { return r.intersects(o); }))
                        free.push_back(r);
                }
        }
    // Only the maximal ones matter.
    std::vector<QRect> maximal;
    for (const QRect& r : free)
        if (std::none_of(free.begin(), free.end(), [&r](const QRect& o) { return o != r && o.contains(r); }))
            maximal.push_back(r);
    return maximal;
}

// Rectangles closer than `gap` to each other become one: the gaps between
// neighbouring controls are no place for a window, and fewer obstacles keep
// the search short.
std::vector<QRect> Blocks(std::vector<QRect> rects, int gap)
{
    const int half = (gap + 1) / 2;
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t i = 0; i < rects.size() && !merged; ++i)
            for (std::size_t j = i + 1; j < rects.size() && !merged; ++j)
                if (rects[i].adjusted(-half, -half, half, half).intersects(rects[j].adjusted(-half, -half, half, half))) {
                    rects[i] |= rects[j];
                    rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(j));
                    merged = true;
                }
    }
    return rects;
}

int Clamp(int value, int low, int high)
{
    return high < low ? low : std::clamp(value, low, high);
}

} // namespace

QRect PlaceWindow(const PlacementRequest& request)
{
    const QRect& room = request.available;
    const QRect& owner = request.owner;
    const QSize wanted = request.wanted.boundedTo(room.size());
    const QSize minimum = request.minimum.boundedTo(wanted);

    // The best place in each free rectangle: as big as it allows up to the
    // wanted size, next to the owner (right of it, else left, level with its
    // top), else as close to its right edge as the rectangle lets it be.
    using Score = std::tuple<long long, long long, int, int>;   // owner covered, -area, distance, side
    std::optional<std::pair<Score, QRect>> best;
    for (const QRect& free : FreeRectangles(room, Blocks(request.keepClear, 40))) {
        const QSize size = wanted.boundedTo(free.size());
        if (size.width() < minimum.width() || size.height() < minimum.height())
            continue;
        const int y = Clamp(owner.top(), free.top(), free.bottom() + 1 - size.height());
        const int xs[] = {owner.right() + 1, owner.left() - size.width()};
        for (int side = 0; side < 2; ++side) {
            const int x = Clamp(xs[side], free.left(), free.right() + 1 - size.width());
            const QRect place(QPoint(x, y), size);
            const int distance = std::abs(x - xs[side]) + std::abs(y - owner.top());
            const Score score{Area(place.intersected(owner)), -Area(place), distance, side};
            if (!best || score < best->first)
                best = {{score, place}};
        }
    }
    if (best)
        return best->second;

    // Nowhere clear: the wanted size, covering the least of what should stay clear.
    std::set<int> xs{room.left(), room.right() + 1 - wanted.width(), owner.right() + 1, owner.left() - wanted.width()};
    std::set<int> ys{room.top(), room.bottom() + 1 - wanted.height(), owner.top(), owner.bottom() + 1};
    for (const QRect& r : request.keepClear) {
        xs.insert(r.right() + 1);
        xs.insert(r.left() - wanted.width());
        ys.insert(r.bottom() + 1);
        ys.insert(r.top() - wanted.height());
    }
    QRect chosen;
    std::pair<long long, long long> least{-1, -1};
    for (int x : xs)
        for (int y : ys) {
            const QRect place(QPoint(Clamp(x, room.left(), room.right() + 1 - wanted.width()),
                                     Clamp(y, room.top(), room.bottom() + 1 - wanted.height())),
                              wanted);
            const std::pair<long long, long long> covered{Covered(place, request.keepClear),
                                                          Area(place.intersected(owner))};
            if (least.first < 0 || covered < least) {
                least = covered;
                chosen = place;
            }
        }
    return chosen;
}

} // namespace wheel
