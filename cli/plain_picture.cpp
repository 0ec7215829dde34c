#include "cli/plain_picture.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "cli/png_writer.h"
#include "qr/engine/raster.h"

namespace cli {

bool PngNeedsComponent(const TDrawing& drawing) {
    return HasCaptions(drawing);
}

std::string StandardPbm(const TSymbolModules& symbols, int pxmag, int margin) {
    if (!symbols.Complete()) return {};
    const int count = static_cast<int>(symbols.Built.size());
    const int side = (symbols.Side + 2 * margin) * pxmag;
    const std::size_t rowBytes = static_cast<std::size_t>(side + 7) / 8;
    const std::string header = "P4\n" + std::to_string(side) + " " + std::to_string(side) + "\n";
    std::string out;
    out.reserve(static_cast<std::size_t>(count) *
                (header.size() + rowBytes * static_cast<std::size_t>(side)));
    std::string row(rowBytes, '\0');
    for (int s = 1; s <= count; ++s) {
        out += header;
        const qr::engine::TModuleGrid grid =
            qr::engine::LayOutSymbols(symbols, {1, margin, 0, false}, s, 1);
        for (int y = 0; y < grid.Height; ++y) {
            qr::engine::PackPixelRow(grid, y, pxmag, reinterpret_cast<unsigned char*>(row.data()));
            for (int k = 0; k < pxmag; ++k)
                out += row;
        }
    }
    return out;
}

TPicture PlainPng(const TSymbolModules& symbols, const TDrawing& drawing) {
    TPicture p;
    if (!symbols.Complete()) {
        p.Exit = kExitNoFit;
        p.Error = "a symbol could not be built";
        return p;
    }
    const int count = static_cast<int>(symbols.Built.size());
    const int n = symbols.Side;
    const int m = drawing.Scale;
    const int side = (n + 2 * drawing.Margin) * m;
    const int columns = std::min(drawing.Column, count);
    const int rows = (count + drawing.Column - 1) / drawing.Column;
    const std::uint64_t width = static_cast<std::uint64_t>(columns) * side;
    const std::uint64_t height = static_cast<std::uint64_t>(rows) * side;
    if (auto tooLarge = PngTooLarge(width, height); !tooLarge.empty()) {
        p.Exit = kExitUsage;
        p.Error = std::move(tooLarge);
        return p;
    }
    // The turn and the mirror move whole modules, so they are worked out once on the grid
    // of modules, and each row of modules becomes pxmag identical rows of 1-bit pixels.
    const qr::engine::TModuleGrid grid = qr::engine::LayOutSymbols(
        symbols, {drawing.Column, drawing.Margin, drawing.Angle, drawing.Mirror});
    const int outW = grid.Width * m;
    const int outH = grid.Height * m;
    // The background is the first colour met (a corner is quiet zone unless the margin
    // is 0), so it is entry 0; the same two colours make a palette of one.
    const std::uint32_t bg = drawing.Background & 0xFFFFFF;
    const std::uint32_t fg = drawing.Foreground & 0xFFFFFF;
    std::vector<std::uint32_t> palette{bg};
    TPngExtras extras;
    extras.Dpi = drawing.Dpi;
    extras.Alpha.push_back(drawing.BackgroundAlpha);
    if (fg != bg || drawing.ForegroundAlpha != drawing.BackgroundAlpha) {
        palette.push_back(fg);
        extras.Alpha.push_back(drawing.ForegroundAlpha);
    }
    const std::size_t rowBytes = (static_cast<std::size_t>(outW) + 7) / 8 + 1; // and filter byte
    std::string raw(rowBytes * static_cast<std::size_t>(outH), '\0');
    for (int gy = 0; gy < grid.Height; ++gy) {
        char* first = raw.data() + static_cast<std::size_t>(gy) * m * rowBytes;
        if (palette.size() > 1)
            qr::engine::PackPixelRow(grid, gy, m, reinterpret_cast<unsigned char*>(first + 1));
        // The other rows of the module row repeat it: PNG's "up" filter (2) makes them
        // all zeros, which compress in a fraction of the time a repeated row takes.
        for (int k = 1; k < m; ++k)
            first[k * rowBytes] = 2;
    }
    p.Bytes = PackedPng(outW, outH, 1, palette, raw, extras);
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
        const qr::engine::TModuleGrid grid = qr::engine::LayOutSymbols(
            symbols, {1, drawing.Margin, drawing.Angle, drawing.Mirror}, s, 1);
        // Below the last row of an odd side is the terminal's own background.
        auto dark = [&](int r, int c) {
            return r >= grid.Height ? drawing.Invert : grid.IsDark(c, r) != drawing.Invert;
        };
        if (s > 1) out += '\n';
        for (int r = 0; r < grid.Height; r += 2) {
            for (int c = 0; c < grid.Width; ++c)
                out += kCells[(dark(r, c) ? 1 : 0) + (dark(r + 1, c) ? 2 : 0)];
            out += '\n';
        }
    }
    return out;
}

} // namespace cli
