#include "cli/plain_picture.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "cli/png_writer.h"
#include "qr/pixel_turn.h"

namespace cli {

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
    if (auto tooLarge = PngTooLarge(width, height); !tooLarge.empty()) {
        p.Exit = kExitUsage;
        p.Error = std::move(tooLarge);
        return p;
    }
    // The turn and the mirror move whole modules, so they are worked out once per
    // module of the grid (a 4-module quiet zone around each symbol), and each row of
    // modules becomes pxmag identical rows of 1-bit pixels.
    const int cell = n + 8;
    const int gridW = columns * cell;
    const int gridH = rows * cell;
    // The unturned grid, one byte a module: quiet zones and the empty cells of the
    // last row stay light.
    std::vector<std::uint8_t> grid(static_cast<std::size_t>(gridW) * gridH, 0);
    for (int at = 0; at < count; ++at) {
        const int left = (at % drawing.Column) * cell + 4;
        const int top = (at / drawing.Column) * cell + 4;
        const std::uint8_t* from = symbols.Dark.data() + static_cast<std::size_t>(at) * n * n;
        for (int r = 0; r < n; ++r, from += n)
            std::memcpy(&grid[static_cast<std::size_t>(top + r) * gridW + left], from, n);
    }
    const bool quarter = drawing.Angle == 90 || drawing.Angle == 270;
    const int outGW = quarter ? gridH : gridW;
    const int outGH = quarter ? gridW : gridH;
    const int outW = outGW * m;
    const int outH = outGH * m;
    // The background is the first colour met (a corner is always quiet zone), so it
    // is entry 0; the same two colours make a palette of one.
    const std::uint32_t bg = drawing.Background & 0xFFFFFF;
    const std::uint32_t fg = drawing.Foreground & 0xFFFFFF;
    std::vector<std::uint32_t> palette{bg};
    if (fg != bg) palette.push_back(fg);
    const std::size_t rowBytes = (static_cast<std::size_t>(outW) + 7) / 8 + 1; // and filter byte
    std::string raw(rowBytes * static_cast<std::size_t>(outH), '\0');
    for (int gy = 0; gy < outGH; ++gy) {
        char* first = raw.data() + static_cast<std::size_t>(gy) * m * rowBytes;
        auto* bits = reinterpret_cast<unsigned char*>(first + 1);
        if (palette.size() > 1) {
            for (int gx = 0; gx < outGW; ++gx) {
                const qr::TPixelSource from =
                    qr::TurnedPixelSource(gx, gy, gridW, gridH, drawing.Angle, drawing.Mirror);
                if (!grid[static_cast<std::size_t>(from.Y) * gridW + from.X]) continue;
                for (int x = gx * m; x < (gx + 1) * m; ++x)
                    bits[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
            }
        }
        // The other rows of the module row repeat it: PNG's "up" filter (2) makes them
        // all zeros, which compress in a fraction of the time a repeated row takes.
        for (int k = 1; k < m; ++k)
            first[k * rowBytes] = 2;
    }
    p.Bytes = PackedPng(outW, outH, 1, palette, raw);
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
