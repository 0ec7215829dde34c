#include "tests/support/qt_picture_reader.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <cstring>

namespace test_support {

TGreyImage GreyFromImage(const QImage& image) {
    TGreyImage grey;
    if (image.isNull()) return grey;
    const QImage converted = image.convertToFormat(QImage::Format_Grayscale8);
    grey.Width = converted.width();
    grey.Height = converted.height();
    grey.Pixels.resize(static_cast<std::size_t>(grey.Width) * grey.Height);
    for (int y = 0; y < grey.Height; ++y) {
        std::memcpy(grey.Pixels.data() + static_cast<std::size_t>(y) * grey.Width,
                    converted.constScanLine(y), static_cast<std::size_t>(grey.Width));
    }
    return grey;
}

namespace {

std::vector<TZxingResult> ReadGrey(const QImage& image) {
    const TGreyImage grey = GreyFromImage(image);
    if (grey.Pixels.empty()) return {};
    std::vector<TZxingResult> results;
    for (TZxingResult& r : ZxingReadAll(grey.Pixels.data(), grey.Width, grey.Height, grey.Width)) {
        if (!r.Valid) continue;
        r.Orientation = ((r.Orientation % 360) + 360) % 360;
        results.push_back(std::move(r));
    }
    return results;
}

} // namespace

std::vector<TZxingResult> ReadPictureAll(const QImage& image) {
    // Each symbol is taken from the picture in which it reads the right way round.
    std::vector<TZxingResult> results;
    for (TZxingResult& r : ReadGrey(image)) {
        if (!r.Mirrored) results.push_back(std::move(r));
    }
    for (TZxingResult& r : ReadGrey(image.mirrored(true, false))) {
        if (r.Mirrored) continue;
        r.Mirrored = true;
        r.CenterX = image.width() - 1 - r.CenterX;
        results.push_back(std::move(r));
    }
    return results;
}

TZxingResult ReadPicture(const QImage& image) {
    std::vector<TZxingResult> results = ReadPictureAll(image);
    if (results.empty()) {
        TZxingResult none;
        none.Error = "no symbol found";
        return none;
    }
    return results.front();
}

QImage RenderSvg(const QByteArray& svg, double scale) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return {};
    const QSize size = renderer.defaultSize();
    QImage image(static_cast<int>(std::lround(size.width() * scale)),
                 static_cast<int>(std::lround(size.height() * scale)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

} // namespace test_support
