// The one way to a finished set of symbols: a request (the properties, and what the
// caller leaves to us: the version, the count, a plan for a camera), the search that
// settles it, and the set of module matrices every picture is then drawn from.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "qr/engine/bitstream.h"
#include "qr/engine/symbol_engine.h"
#include "qr/engine/symbol_modules.h"

namespace qr::engine {

// Builds symbols 1..Count of the engine's last division into `set`, in order, and stops
// at the first that does not build; returns its result, or brBuilt when all did. `set`
// then holds every symbol built so far.
TQRBuildResult BuildDivision(TQRSymbolEngine& engine, TSymbolModules& set);

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
// linked symbols (2..16) at the last level, each set at its smallest version. Leaves the
// engine divided at the plan (Version, Eclevel, Mode and Count written), or as it tried
// last when nothing fits; with `set`, the planned symbols are kept there. levels must not
// be empty.
TQRPlan PlanSmallestSymbols(TQRSymbolEngine& engine,
                            std::span<const int> levels = std::span(kPhoneLevels),
                            TSymbolModules* set = nullptr);

struct TQRSetRequest {
    int Version = 0; // 1..40, or 0: the smallest that holds every symbol
    int Eclevel = ecL;
    int Emode = -1;
    int Masktype = -1;
    int Pxmag = 1;
    int Eci = kEciNone;
    TQRSegments Segments = sgGreedy;
    std::optional<TQRMode> Mode;  // unset: the engine's own
    std::optional<int> Count;     // unset: the engine's own
    bool CountAuto = false;       // the fewest symbols of Version that carry the text
    bool PhonePlan = false;       // PlanSmallestSymbols at the phones' levels
    bool BinaryOperation = false; // resolve ~hex~ escapes
};

enum TQRSetStatus : std::uint8_t {
    ssBuilt,       // Symbols holds every symbol
    ssModeRefused, // a byte the fixed Emode cannot carry: RefusedAt
    ssNoFit,       // the text does not fit what was asked
};

struct TQRSetResult {
    TQRSetStatus Status = ssBuilt;
    // The text had a malformed ~ escape and was taken as it stands.
    bool EscapeMalformed = false;
    // ssModeRefused: offset of the first byte the fixed mode cannot carry.
    int RefusedAt = -1;
    // ssNoFit with a version search: the symbol that did not fit (1-based); 0 after a
    // count search or a plan, where no single symbol is to blame.
    int Misfit = 0;
    // ssNoFit after a count search: the most symbols tried.
    int MostSymbols = 0;
    // What to write into a component, in this order, for the same division: the version
    // chosen, then Mode and Count as the request or the search left them.
    int Version = 0;
    std::optional<TQRMode> Mode;
    std::optional<int> Count;
    TSymbolModules Symbols; // complete with ssBuilt
};

// Writes the request and code into engine (mode before count), divides the input and
// builds every symbol at the requested version, or at the smallest version that holds
// them all; with CountAuto, one symbol and then ever more until all fit; with PhonePlan,
// as PlanSmallestSymbols. The engine is left divided as the result says.
TQRSetResult BuildSymbolSet(TQRSymbolEngine& engine, const TQRSetRequest& request,
                            std::string_view code);

// Offset of the first byte that fixed mode `mode` (0..3) cannot carry, or -1. An
// automatic analysis carries any byte.
int FirstRefusedByte(std::span<const std::uint8_t> bytes, int mode);

} // namespace qr::engine
