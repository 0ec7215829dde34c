#include "qr/picture_transform.h"

#include <cstdint>
#include <cstring>

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

}  // namespace

QImage NormalizedForTransform(const QImage& source) {
    switch (source.format()) {
    case QImage::Format_Invalid: return source;
    case QImage::Format_MonoLSB: return source.convertToFormat(QImage::Format_Mono);
    default: break;
    }
    switch (source.depth()) {
    case 1:
    case 8:
    case 16:
    case 24:
    case 32: return source;
    default: return source.convertToFormat(QImage::Format_RGB888);
    }
}

QImage RotateBitmap(const QImage& original, int angle) {
    if (original.isNull() || (angle != 90 && angle != 180 && angle != 270)) return original;
    const QImage source = NormalizedForTransform(original);
    const int w = source.width();
    const int h = source.height();
    QImage result = angle == 180 ? SameKind(source, w, h) : SameKind(source, h, w);
    const PixelCopier copier(source.depth());
    const int nw = result.width();
    const int nh = result.height();
    for (int y = 0; y < nh; ++y) {
        std::uint8_t* row = result.scanLine(y);
        switch (angle) {
        case 90:
            for (int x = 0; x < nw; ++x) copier.Copy(row, x, source.constScanLine(h - 1 - x), y);
            break;
        case 180: {
            const std::uint8_t* src = source.constScanLine(h - 1 - y);
            for (int x = 0; x < nw; ++x) copier.Copy(row, x, src, w - 1 - x);
            break;
        }
        default:  // 270
            for (int x = 0; x < nw; ++x) copier.Copy(row, x, source.constScanLine(x), w - 1 - y);
            break;
        }
    }
    return result;
}

QImage MirrorBitmap(const QImage& original) {
    if (original.isNull()) return original;
    const QImage source = NormalizedForTransform(original);
    const int w = source.width();
    QImage result = SameKind(source, w, source.height());
    const PixelCopier copier(source.depth());
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* src = source.constScanLine(y);
        std::uint8_t* row = result.scanLine(y);
        for (int x = 0; x < w; ++x) copier.Copy(row, x, src, w - 1 - x);
    }
    return result;
}

}  // namespace qr
