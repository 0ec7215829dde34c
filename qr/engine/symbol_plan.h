// Choosing the symbols for a camera: the smallest single symbol that carries the text,
// and linked symbols only when even version 40 cannot.
#pragma once

#include <span>

#include "qr/engine/symbol_engine.h"

namespace qr::engine {

struct TQRPlan {
    bool Fits = false; // false: not even 16 linked symbols of version 40 carry the text
    int Version = 0;
    int Eclevel = 0;
    TQRMode Mode = qrSingle;
    int Count = 1;
};

// Levels tried in turn for one symbol, most protection first.
inline constexpr int kPhoneLevels[] = {ecM, ecL};

// With the engine's Code, Emode, Eci and Masktype as set: one symbol at the smallest
// version of the first level in `levels` that holds it; failing every level, the fewest
// linked symbols (2..16) at the last level, each set at its smallest version. Builds
// every symbol to know; leaves the engine divided at the plan (Version, Eclevel, Mode and
// Count written), or as it tried last when nothing fits. levels must not be empty.
TQRPlan PlanSmallestSymbols(TQRSymbolEngine& engine,
                            std::span<const int> levels = std::span(kPhoneLevels));

} // namespace qr::engine
