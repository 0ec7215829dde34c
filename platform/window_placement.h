// The main window's placement as the settings file keeps it: eight integers in the
// order of its keys (.Flags .Show .MaxX .MaxY .X .Y .XSize .YSize). The window fills
// it from its widget and applies it back; this file knows nothing of widgets.
#pragma once

namespace platform {

// Show states, numbered as the settings files written on Windows number them.
enum TShowState : int {
    swHide = 0,
    swNormal = 1,
    swMinimized = 2,
    swMaximized = 3,
};

// Flags bit: restore to maximised when the minimised window is shown again.
constexpr int kPlacementRestoreToMaximized = 0x0002;

struct TWindowPlacement {
    int Flags = 0;
    int ShowCmd = swNormal;
    int MaxX = -1; // position of the maximised window; -1 for "wherever it lands"
    int MaxY = -1;
    int Left = 0; // the restored (normal) inside area as edges, not a size:
    int Top = 0;  // right = left + width, bottom = top + height
    int Right = 0;
    int Bottom = 0;
};

} // namespace platform
