#include "cli/plain_picture.h"

#include <algorithm>
#include <vector>

#include "cli/png_writer.h"
#include "qr/pixel_turn.h"

namespace cli {

namespace {

// A PNG larger than this (as 32-bit pixels in memory) is refused rather than drawn,
// the same bound as for the component's bitmaps.
constexpr std::uint64_t kMaxBitmapBytes = std::uint64_t{1} << 30;

} // namespace

bool PngNeedsComponent(const TDrawing& drawing) {
    return drawing.CommentUp || drawing.CommentDown || drawing.Numbering != 0;
}

std::string StandardPbm(const TSymbolModules& symbols, int pxmag) {
    if (!symbols.Complete()) return {};
    const int count = static_cast<int>(symbols.Built.size());
    const int m = pxmag;
    const int side = (symbols.Side + 8) * m;
    const std::size_t rowBytes = static_cast<std::size_t>(side + 7) / 8;
    const std::string header = "P4\n" + std::to_string(side) + " " + std::to_string(side) + "\n";
    std::string out;
    out.reserve(static_cast<std::size_t>(count) *
                (header.size() + rowBytes * static_cast<std::size_t>(side)));
    std::string row(rowBytes, '\0');
    for (int s = 1; s <= count; ++s) {
        out += header;
        for (int y = 0; y < side; ++y) {
            std::fill(row.begin(), row.end(), '\0');
            const int r = y / m - 4;
            for (int x = 4 * m; x < side - 4 * m; ++x)
                if (symbols.IsDark(s, r, x / m - 4))
                    row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
            out += row;
        }
    }
    return out;
}

TPlainPicture PlainPng(const TSymbolModules& symbols, int pxmag, const TDrawing& drawing) {
    TPlainPicture p;
    if (!symbols.Complete()) {
        p.Exit = kExitNoFit;
        p.Error = "a symbol could not be built";
        return p;
    }
    const int count = static_cast<int>(symbols.Built.size());
    const int n = symbols.Side;
    const int m = pxmag;
    const int side = (n + 8) * m;
    const int columns = std::min(drawing.Column, count);
    const int rows = (count + drawing.Column - 1) / drawing.Column;
    const std::uint64_t width = static_cast<std::uint64_t>(columns) * side;
    const std::uint64_t height = static_cast<std::uint64_t>(rows) * side;
    if (width * height * 4 > kMaxBitmapBytes) {
        p.Exit = kExitUsage;
        p.Error = "a PNG of " + std::to_string(width) + " x " + std::to_string(height) +
                  " pixels would take more than 1 GiB; ask for fewer symbols or a smaller --pxmag";
        return p;
    }
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    // Pixel (x, y) of the unturned grid: a dark module of a symbol, or background
    // (quiet zones and the empty cells of the last row).
    auto dark = [&](int x, int y) {
        const int cell = (y / side) * drawing.Column + x / side;
        if (cell >= count) return false;
        return symbols.IsDark(cell + 1, (y % side) / m - 4, (x % side) / m - 4);
    };
    const bool quarter = drawing.Angle == 90 || drawing.Angle == 270;
    const int outW = quarter ? h : w;
    const int outH = quarter ? w : h;
    const std::uint32_t fg = 0xFF000000u | drawing.Foreground;
    const std::uint32_t bg = 0xFF000000u | drawing.Background;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(outW) * outH);
    for (int y = 0; y < outH; ++y) {
        std::uint32_t* line = pixels.data() + static_cast<std::size_t>(y) * outW;
        for (int x = 0; x < outW; ++x) {
            const qr::TPixelSource from =
                qr::TurnedPixelSource(x, y, w, h, drawing.Angle, drawing.Mirror);
            line[x] = dark(from.X, from.Y) ? fg : bg;
        }
    }
    p.Bytes = EncodePng(outW, outH, pixels.data(), static_cast<std::size_t>(outW));
    if (p.Bytes.empty()) {
        p.Exit = kExitUsage;
        p.Error = "the PNG picture could not be made";
    }
    return p;
}

std::string Utf8Picture(const TSymbolModules& symbols, const TDrawing& drawing) {
    static constexpr const char* kCells[] = {" ", "\u2580", "\u2584",
                                             "\u2588"}; // by top + 2 * bottom
    if (!symbols.Complete()) return {};
    std::string out;
    for (int s = 1; s <= static_cast<int>(symbols.Built.size()); ++s) {
        const int n = symbols.Side + 8;
        // Module (r, c) of the picture with its quiet zone, after the turn and the mirror.
        auto dark = [&](int r, int c) {
            if (r >= n) return drawing.Invert;
            const qr::TPixelSource from =
                qr::TurnedPixelSource(c, r, n, n, drawing.Angle, drawing.Mirror);
            return symbols.IsDark(s, from.Y - 4, from.X - 4) != drawing.Invert;
        };
        if (s > 1) out += '\n';
        for (int r = 0; r < n; r += 2) {
            for (int c = 0; c < n; ++c)
                out += kCells[(dark(r, c) ? 1 : 0) + (dark(r + 1, c) ? 2 : 0)];
            out += '\n';
        }
    }
    return out;
}

} // namespace cli
