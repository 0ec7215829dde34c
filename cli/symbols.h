// varoku-qr's side of building the symbols: the engine settles the version, the count
// or the plan; this puts its refusals in the command's words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "qr/engine/symbol_engine.h"
#include "qr/engine/symbol_set.h"

namespace cli {

// The PBM text larger than this is refused rather than built in memory.
inline constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{1} << 30;

using TSymbolModules = qr::engine::TSymbolModules;

struct TBuildResult : TOutcome {
    // What to write into a component, in this order, for the same division: the
    // version chosen, then Mode and Count as the request or the count search left them.
    int Version = 0;
    std::optional<qr::engine::TQRMode> Mode;
    std::optional<int> Count;
    TSymbolModules Symbols; // complete when Exit is kExitOk
};

// qr::engine::BuildSymbolSet, with its refusal as one line of text and exit status; with
// request.Boost, built again at the highest level that keeps the version and count.
TBuildResult PrepareSymbols(qr::engine::TQRSymbolEngine& engine, const TSymbolRequest& request,
                            const std::string& code);

// What --verbose tells of the symbols PrepareSymbols built in `engine`: per symbol its
// version, level and mask, each segment (ECI and structured-append headers too) with
// its mode, length and bits, and the data bits used of those the symbol holds. Builds
// each symbol once more to read its data codewords; one line per item, each ending in
// a line break.
std::string DescribeSymbols(qr::engine::TQRSymbolEngine& engine);

// The PBM of the engine's symbols at pxmag (0: the engine's Pxmag) with a quiet zone of
// `margin` modules (a raw bitmap with `standard`, else the component's text) would
// exceed kMaxPictureBytes: the refusal, or "".
std::string PbmTooLarge(const qr::engine::TQRSymbolEngine& engine, bool standard,
                        int margin = qr::engine::kQuietZone, int pxmag = 0);

} // namespace cli
