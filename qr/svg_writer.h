// The SVG text of a recorded vector picture, written in one pass while the recording
// replays: runs of solid rectangles in one colour become one compact path, text stays
// text, so the modules of a symbol cost a few bytes each and nothing is rewritten.
#pragma once

#include <QByteArray>
#include <QPicture>
#include <QSize>
#include <QString>

namespace qr {

// Readers guard against runaway paths (Qt SVG stops at 32767 elements, five per
// rectangle), so a run longer than this is split over several paths.
inline constexpr int kRectanglesPerSvgPath = 2000;

// The picture replayed at (0, 0) into an SVG of `size` pixels at `dpi` pixels to the
// inch (its width and height in millimetres, its view box in pixels). Solid fills,
// pen strokes, text and images are written; gradients and patterns are filled with
// their brush's colour. Empty for an empty size.
QByteArray PictureToSvg(const QPicture& picture, QSize size, int dpi, const QString& title = {});

} // namespace qr
