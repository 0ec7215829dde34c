#include "qr/engine/raster.h"

#include <algorithm>
#include <cstring>

#include "qr/engine/pixel_turn.h"

namespace qr::engine {

TModuleGrid LayOutSymbols(const TSymbolModules& set, const TQRLayout& layout, int first,
                          int count) {
    const int total = static_cast<int>(set.Built.size());
    if (count < 0) count = total - first + 1;
    count = std::clamp(count, 0, std::max(0, total - first + 1));
    const int columns = std::max(1, std::min(layout.Column, count));
    const int rows = count > 0 ? (count + layout.Column - 1) / layout.Column : 0;
    const int n = set.Side;
    const int cell = n + 2 * layout.Quiet;
    const int gridW = columns * cell;
    const int gridH = rows * cell;
    std::vector<std::uint8_t> grid(static_cast<std::size_t>(gridW) * gridH, 0);
    for (int at = 0; at < count; ++at) {
        const int left = (at % layout.Column) * cell + layout.Quiet;
        const int top = (at / layout.Column) * cell + layout.Quiet;
        const std::uint8_t* from =
            set.Dark.data() + static_cast<std::size_t>(first - 1 + at) * n * n;
        for (int r = 0; r < n; ++r, from += n)
            std::memcpy(&grid[static_cast<std::size_t>(top + r) * gridW + left], from, n);
    }
    TModuleGrid out;
    const bool quarter = layout.Angle == 90 || layout.Angle == 270;
    if (!layout.Mirror && layout.Angle != 90 && layout.Angle != 180 && layout.Angle != 270) {
        out.Width = gridW;
        out.Height = gridH;
        out.Dark = std::move(grid);
        return out;
    }
    out.Width = quarter ? gridH : gridW;
    out.Height = quarter ? gridW : gridH;
    out.Dark.resize(grid.size());
    std::uint8_t* to = out.Dark.data();
    for (int y = 0; y < out.Height; ++y)
        for (int x = 0; x < out.Width; ++x) {
            const TPixelSource from =
                TurnedPixelSource(x, y, gridW, gridH, layout.Angle, layout.Mirror);
            *to++ = grid[static_cast<std::size_t>(from.Y) * gridW + from.X];
        }
    return out;
}

void PackPixelRow(const TModuleGrid& grid, int y, int pxmag, unsigned char* bits) {
    std::memset(bits, 0, (static_cast<std::size_t>(grid.Width) * pxmag + 7) / 8);
    const std::uint8_t* row = grid.Dark.data() + static_cast<std::size_t>(y) * grid.Width;
    for (int gx = 0; gx < grid.Width; ++gx) {
        if (!row[gx]) continue;
        for (int x = gx * pxmag; x < (gx + 1) * pxmag; ++x)
            bits[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
    }
}

void PbmText(std::vector<std::string>& lines, const TSymbolModules& set, int mode, int count,
             int pxmag) {
    lines.clear();
    lines.emplace_back("P1");
    const char* name = mode == qrSingle ? "Single" : mode == qrConnect ? "Connect" : "Plus";
    lines.push_back(std::string(name) + " Mode (Count = " + std::to_string(count) + ")");
    const int modules = set.Side + 2 * kQuietZone;
    const std::size_t width = static_cast<std::size_t>(modules) * pxmag;
    lines.push_back(std::to_string(width) + " " + std::to_string(width));
    std::string line;
    for (int s = 1; s <= static_cast<int>(set.Built.size()); ++s) {
        if (!set.Built[static_cast<std::size_t>(s - 1)]) break;
        const TModuleGrid grid = LayOutSymbols(set, {}, s, 1);
        lines.emplace_back();
        lines.emplace_back();
        for (int y = 0; y < grid.Height; ++y) {
            line.clear();
            line.reserve(2 * width);
            for (int x = 0; x < grid.Width; ++x) {
                const char* entry = grid.IsDark(x, y) ? " 1" : " 0";
                for (int i = 0; i < pxmag; ++i)
                    line += entry;
            }
            for (int i = 0; i < pxmag; ++i)
                lines.push_back(line);
        }
    }
}

} // namespace qr::engine
