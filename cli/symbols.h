// Turns varoku-qr's options and text into an engine ready to give its symbols: the
// division runs once, as a repaint would, and every symbol is tried before anything
// is written, choosing the version (or the count) when the user left it to us.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "qr/engine/symbol_engine.h"
#include "qr/engine/symbol_modules.h"

namespace cli {

// The PBM text larger than this is refused rather than built in memory.
inline constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{1} << 30;

// Every symbol's modules as the check built them: the pictures are drawn from these,
// so no symbol is built twice.
using TSymbolModules = qr::engine::TSymbolModules;

struct TBuildResult {
    int Exit = kExitOk;
    std::string Error;                 // one line, when Exit is not kExitOk
    std::vector<std::string> Warnings; // things done differently from what was asked
    // What to write into a component, in this order, for the same division: the
    // version chosen, then Mode and Count as the request or the count search left them.
    int Version = 0;
    std::optional<qr::engine::TQRMode> Mode;
    std::optional<int> Count;
    TSymbolModules Symbols; // complete when Exit is kExitOk
};

// Writes the request and code into engine (mode before count), divides the input and
// checks that every symbol can be built at the requested version, or at the smallest
// version that holds them all; with CountAuto, tries one symbol and then ever more
// until all fit. On success engine.PBM() gives the complete text.
TBuildResult PrepareSymbols(qr::engine::TQRSymbolEngine& engine, const TSymbolRequest& request,
                            const std::string& code);

// The PBM of the engine's symbols at its Pxmag (a raw bitmap with `standard`, else the
// component's text) would exceed kMaxPictureBytes: the refusal, or "".
std::string PbmTooLarge(const qr::engine::TQRSymbolEngine& engine, bool standard);

// The engine's PBM lines; null when a symbol is missing from them (which
// PrepareSymbols makes sure cannot happen).
const std::vector<std::string>* PbmLines(qr::engine::TQRSymbolEngine& engine);

} // namespace cli
