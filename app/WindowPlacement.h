#pragma once
// Where a window of the editor opens next to the main window: beside it where
// the screen has the room, else over it but never over its title bar or the
// controls the user presses, shrunk to what it can spare. Plain geometry in
// screen coordinates, frames included.

#include <QRect>
#include <QSize>

#include <vector>

namespace wheel {

struct PlacementRequest {
    QRect available;              // the screen's available geometry
    QRect owner;                  // the main window's frame
    std::vector<QRect> keepClear; // its title bar and controls
    QSize wanted;                 // the window's frame at its preferred size
    QSize minimum;                // the smallest frame it still works at
};

// The frame rectangle for the window: inside the available geometry, at most
// the wanted size, and covering nothing of keepClear where any free place of
// at least the minimum size exists (controls less than 40 pixels apart count
// as one block, gap and all). Among the places that keep clear, one
// beside the owner wins over one on top of it, a larger one over a smaller,
// and the right over the left. Where none keeps clear, the window keeps its
// wanted size (within the screen) and covers as little of keepClear as it can.
QRect PlaceWindow(const PlacementRequest& request);

} // namespace wheel
