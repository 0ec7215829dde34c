// Turns varoku-qr's options and text into an engine ready to give its PBM text: the
// division runs once, as a repaint would, and every symbol is tried before anything
// is written, choosing the version when the user left it to us.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/options.h"
#include "qr/engine/symbol_engine.h"

namespace cli {

// The PBM text larger than this is refused rather than built in memory.
inline constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{1} << 30;

struct TBuildResult {
    int Exit = kExitOk;
    std::string Error;                  // one line, when Exit is not kExitOk
    std::vector<std::string> Warnings;  // things done differently from what was asked
};

// Writes the options and code into engine (mode before count), divides the input and
// checks that every symbol can be built at the requested version, or at the smallest
// version that holds them all. On success engine.PBM() gives the complete text.
TBuildResult PrepareSymbols(qr::engine::TQRSymbolEngine& engine, const TCliOptions& options,
                            const std::string& code);

// The engine's PBM lines; null when a symbol is missing from them (which
// PrepareSymbols makes sure cannot happen).
const std::vector<std::string>* PbmLines(qr::engine::TQRSymbolEngine& engine);

}  // namespace cli
