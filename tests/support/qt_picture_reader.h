// Reads QR symbols out of Qt pictures (a component's bitmap, a rendered SVG) with the
// zxing-cpp reader of the tests.
#pragma once

#include <QByteArray>
#include <QImage>

#include <vector>

#include "tests/support/grey_image.h"
#include "tests/support/zxing_reader.h"

namespace test_support {

// The picture as 8-bit luminance (0 black, 255 white), any pixel format.
TGreyImage GreyFromImage(const QImage& image);

// Every symbol zxing-cpp finds in the picture, and the first one. Orientation comes
// back as 0, 90, 180 or 270 (clockwise). The zxing-cpp of this Debian (1.4.0) fails on
// many mirror images, so the picture's mirror image is read as well: a symbol that
// reads the right way round there is reported with Mirrored set and its Orientation
// as seen in that mirror image; centres are always in the given picture.
std::vector<TZxingResult> ReadPictureAll(const QImage& image);
TZxingResult ReadPicture(const QImage& image);

// An SVG document rendered onto white at its own size (times scale); null when the
// bytes are not SVG.
QImage RenderSvg(const QByteArray& svg, double scale = 1.0);

} // namespace test_support
