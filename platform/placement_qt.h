// Reading and applying the placement record on a real window.
#pragma once

#include "platform/window_placement.h"

class QWidget;

namespace platform {

// The window's placement now: show state, and its normal (not maximised) inside area
// (the client area, without the window manager's frame) as edges in desktop coordinates.
TWindowPlacement GetWindowPlacement(const QWidget& window);

// Moves and sizes the window's inside area to the record's normal area and gives it the
// record's show state, so that a record taken with GetWindowPlacement puts the window
// back exactly where it was. An area that lies on no screen is centred on the primary screen
// instead, so a record written on another desktop never hides the window. A minimised record opens
// normal (or maximised when it says to restore so): a program that starts as an icon looks as if it
// had not started.
void SetWindowPlacement(QWidget& window, const TWindowPlacement& placement);

} // namespace platform
