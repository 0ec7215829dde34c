// Quarter, half and three-quarter turns and the left-right mirror of a bitmap, done
// pixel by pixel through direct row access so that any pixel depth keeps its bytes
// (and its palette) exactly.
#pragma once

#include <QImage>
#include <memory>

#include "platform/image_control.h"
#include "qr/engine/pixel_turn.h"

namespace qr {

using engine::TPixelSource;
using engine::TurnedPixelSource;

// The bitmap turned clockwise by 90, 180 or 270 degrees: W x H becomes H x W for the
// quarter turns. For 90, new(x, y) = old(y, H - 1 - x); for 180, old(W - 1 - x,
// H - 1 - y); for 270, old(W - 1 - y, x). Any other angle, or a null image, gives the
// image back unchanged.
QImage RotateBitmap(const QImage& source, int angle);

// The bitmap mirrored left to right: new(x, y) = old(W - 1 - x, y).
QImage MirrorBitmap(const QImage& source);

// A vector picture replayed through the same turn and mirror; `width` x `height` is the
// drawing's extent before the turn.
std::unique_ptr<platform::TMetafile> TurnMetafile(const platform::TMetafile& source, int width,
                                                  int height, int angle, bool mirror);

// `picture` as it is when there is nothing to turn or mirror, else its turned copy,
// kept in `turned`; null for a null picture.
const platform::TMetafile* TurnedMetafile(const platform::TMetafile* picture, int width, int height,
                                          int angle, bool mirror,
                                          std::unique_ptr<platform::TMetafile>& turned);

// Pixel formats with 1 (most significant bit leftmost), 8, 16, 24 or 32 bits per
// pixel are kept; anything else is turned into 24-bit RGB first.
QImage NormalizedForTransform(const QImage& source);

} // namespace qr
