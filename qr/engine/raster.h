// The one drawing of module matrices as pixels, without Qt: a set of symbols laid out as
// a grid of modules (quiet zones, cells, turn and mirror), and that grid as 1-bit pixel
// rows or as PBM text. varoku-qr's PNG, PBM and terminal pictures, the engine's PBM
// text and the window's large view are all drawn from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qr/engine/symbol_modules.h"

namespace qr::engine {

struct TQRLayout {
    int Column = 1;         // cells per row of the grid
    int Quiet = kQuietZone; // light modules round each symbol
    int Angle = 0;          // clockwise turn of the whole grid: 0, 90, 180 or 270
    bool Mirror = false;    // then the left-right mirror
};

struct TModuleGrid {
    int Width = 0; // modules
    int Height = 0;
    std::vector<std::uint8_t> Dark; // row by row, one byte a module
    bool IsDark(int x, int y) const {
        return x >= 0 && y >= 0 && x < Width && y < Height &&
               Dark[static_cast<std::size_t>(y) * Width + x] != 0;
    }
};

// Symbols first .. first + count - 1 (1-based; count -1: to the last) of `set`, each in a
// cell of Side + 2 * Quiet modules, Column cells to a row, the cells of the last row
// that hold no symbol light; then turned and mirrored.
TModuleGrid LayOutSymbols(const TSymbolModules& set, const TQRLayout& layout, int first = 1,
                          int count = -1);

// Grid row y at pxmag pixels a module as 1-bit pixels, most significant bit first, dark
// 1: a row of a raw PBM or of a two-colour PNG. `bits` holds (Width * pxmag + 7) / 8
// bytes and is cleared first.
void PackPixelRow(const TModuleGrid& grid, int y, int pxmag, unsigned char* bits);

// Clears lines and adds the header: "P1", the mode line ("Single Mode (Count = 1)",
// "Connect Mode (Count = 3)", "Plus Mode (Count = 20)") and the size line "W W", where
// W = (Side + 8) * pxmag; then, for each symbol of `set` up to the first not built, two
// empty lines and its picture: " 1" dark, " 0" light or quiet zone, every module pxmag
// entries wide and pxmag lines high.
void PbmText(std::vector<std::string>& lines, const TSymbolModules& set, int mode, int count,
             int pxmag);

} // namespace qr::engine
