#include "qr/picture_transform.h"

#include <cstdint>
#include <cstring>

#include <QPainter>
#include <QTransform>

namespace qr {
namespace {

// Copies one pixel between rows of the same depth; 1-bit pixels are packed with the
// leftmost pixel in the most significant bit and their neighbours are left alone.
class PixelCopier {
public:
    explicit PixelCopier(int depth) : depth_(depth), bytes_(depth / 8) {}

    void Copy(std::uint8_t* dst, int dx, const std::uint8_t* src, int sx) const {
        if (depth_ == 1) {
            const bool set = (src[sx >> 3] >> (7 - (sx & 7))) & 1;
            const std::uint8_t bit = static_cast<std::uint8_t>(0x80u >> (dx & 7));
            if (set) {
                dst[dx >> 3] |= bit;
            } else {
                dst[dx >> 3] &= static_cast<std::uint8_t>(~bit);
            }
            return;
        }
        std::memcpy(dst + dx * bytes_, src + sx * bytes_, static_cast<std::size_t>(bytes_));
    }

private:
    int depth_;
    int bytes_;
};

QImage SameKind(const QImage& source, int width, int height) {
    QImage image(width, height, source.format());
    image.setColorTable(source.colorTable());
    image.setDotsPerMeterX(source.dotsPerMeterX());
    image.setDotsPerMeterY(source.dotsPerMeterY());
    return image;
}

QImage Transformed(const QImage& original, int angle, bool mirror);

} // namespace

QImage NormalizedForTransform(const QImage& source) {
    switch (source.format()) {
    case QImage::Format_Invalid:
        return source;
    case QImage::Format_MonoLSB:
        return source.convertToFormat(QImage::Format_Mono);
    default:
        break;
    }
    switch (source.depth()) {
    case 1:
    case 8:
    case 16:
    case 24:
    case 32:
        return source;
    default:
        return source.convertToFormat(QImage::Format_RGB888);
    }
}

namespace {

// Every pixel of the result fetched through TurnedPixelSource, the one statement of
// the geometry.
QImage Transformed(const QImage& original, int angle, bool mirror) {
    const QImage source = NormalizedForTransform(original);
    const int w = source.width();
    const int h = source.height();
    const bool quarter = angle == 90 || angle == 270;
    QImage result = quarter ? SameKind(source, h, w) : SameKind(source, w, h);
    const PixelCopier copier(source.depth());
    for (int y = 0; y < result.height(); ++y) {
        std::uint8_t* row = result.scanLine(y);
        for (int x = 0; x < result.width(); ++x) {
            const TPixelSource from = TurnedPixelSource(x, y, w, h, angle, mirror);
            copier.Copy(row, x, source.constScanLine(from.Y), from.X);
        }
    }
    return result;
}

} // namespace

QImage RotateBitmap(const QImage& original, int angle) {
    if (original.isNull() || (angle != 90 && angle != 180 && angle != 270)) return original;
    return Transformed(original, angle, false);
}

QImage MirrorBitmap(const QImage& original) {
    if (original.isNull()) return original;
    return Transformed(original, 0, true);
}

std::unique_ptr<platform::TMetafile> TurnMetafile(const platform::TMetafile& source, int width,
                                                  int height, int angle, bool mirror) {
    const bool quarter = angle == 90 || angle == 270;
    QTransform t;
    switch (angle) {
    case 90:
        t = QTransform(0, 1, -1, 0, height, 0);
        break;
    case 180:
        t = QTransform(-1, 0, 0, -1, width, height);
        break;
    case 270:
        t = QTransform(0, -1, 1, 0, 0, width);
        break;
    default:
        break;
    }
    if (mirror) t = t * QTransform(-1, 0, 0, 1, quarter ? height : width, 0);
    auto turned = std::make_unique<platform::TMetafile>();
    turned->SetWidth(quarter ? source.Height() : source.Width());
    turned->SetHeight(quarter ? source.Width() : source.Height());
    QPainter* painter = turned->BeginRecording().Painter();
    painter->setTransform(t);
    painter->drawPicture(0, 0, source.Picture());
    turned->EndRecording();
    return turned;
}

const platform::TMetafile* TurnedMetafile(const platform::TMetafile* picture, int width, int height,
                                          int angle, bool mirror,
                                          std::unique_ptr<platform::TMetafile>& turned) {
    if (!picture || (angle == 0 && !mirror)) return picture;
    turned = TurnMetafile(*picture, width, height, angle, mirror);
    return turned.get();
}

} // namespace qr
