#pragma once
// Puts a window of the editor beside the window it belongs to (see
// wheel::PlaceWindow), before it is shown: never over that window's title bar
// or the controls the user presses, sized to the screen's available room.

#include <QSize>

class QWidget;

// `wanted` and `minimum` are the window's own sizes, without the frame the
// desktop adds; the frame is taken to be the owner's. Where the desktop
// places windows itself (Wayland), only the size is kept.
void PlaceBeside(QWidget* window, const QWidget* owner, QSize wanted, QSize minimum);

// Shows `window` and brings it to the front; the first time (`first`) it is
// placed beside `owner` at the size its layout asks for.
void ShowBeside(QWidget* window, const QWidget* owner, bool first);
