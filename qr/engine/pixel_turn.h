// The one statement of a picture's turn and mirror: the component's bitmaps and vector
// pictures and every module grid laid out by the raster follow it.
#pragma once

namespace qr::engine {

// A pixel position in the source picture.
struct TPixelSource {
    int X = 0;
    int Y = 0;
};

// Where pixel (x, y) of a W x H picture turned clockwise by `angle` (0, 90, 180 or 270;
// anything else counts as 0) and then, when `mirror` is set, mirrored left to right
// comes from.
constexpr TPixelSource TurnedPixelSource(int x, int y, int width, int height, int angle,
                                         bool mirror) {
    const bool quarter = angle == 90 || angle == 270;
    if (mirror) x = (quarter ? height : width) - 1 - x;
    switch (angle) {
    case 90:
        return {y, height - 1 - x};
    case 180:
        return {width - 1 - x, height - 1 - y};
    case 270:
        return {width - 1 - y, x};
    default:
        return {x, y};
    }
}

} // namespace qr::engine
