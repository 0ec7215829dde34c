// TSymbolModules: the finished module matrices of a whole set of symbols, one byte a
// module, kept so that a set built once can be drawn as often as needed (plain
// pictures, the component's paint pass) without building any symbol again.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "qr/engine/symbol_engine.h"

namespace qr::engine {

struct TSymbolModules {
    int Side = 0;                   // modules per side
    std::vector<std::uint8_t> Dark; // symbol by symbol, row by row
    std::vector<bool> Built;        // per symbol

    bool Complete() const {
        return !Built.empty() && std::find(Built.begin(), Built.end(), false) == Built.end();
    }
    // Module (row, column) of symbol s (1-based); light outside the symbol.
    bool IsDark(int s, int row, int column) const {
        if (row < 0 || column < 0 || row >= Side || column >= Side) return false;
        return Dark[(static_cast<std::size_t>(s - 1) * Side + row) * Side + column] != 0;
    }
    // Room for `count` symbols of `side` modules, none built yet.
    void Reset(int count, int side) {
        Side = side;
        Dark.assign(static_cast<std::size_t>(count) * side * side, 0);
        Built.assign(static_cast<std::size_t>(count), false);
    }
    // Keeps the symbol that engine built last as symbol s (1..Built.size()); the
    // engine's version must give Side modules.
    void Keep(const TQRSymbolEngine& engine, int s) {
        std::uint8_t* dark = Dark.data() + static_cast<std::size_t>(s - 1) * Side * Side;
        for (int r = 0; r < Side; ++r)
            for (int c = 0; c < Side; ++c)
                *dark++ = engine.IsDark(r, c) ? 1 : 0;
        Built[static_cast<std::size_t>(s - 1)] = true;
    }
};

} // namespace qr::engine
