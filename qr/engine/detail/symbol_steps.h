// The symbol build one step at a time and the engine's work areas, for tests that
// inspect a build between its steps. Programs build through TQRSymbolEngine::BuildSymbol.
#pragma once

#include <cstdint>
#include <span>

#include "qr/engine/symbol_engine.h"

namespace qr::engine {

namespace detail {

// Runs the private steps of one engine; they must be run in the order BuildSymbolFrom
// runs them, with the same Version and Eclevel throughout.
class TSymbolSteps {
public:
    explicit TSymbolSteps(TQRSymbolEngine& engine) : e_(engine) {}

    // Puts bytes into the symbol input buffer as symbol number s; false (nothing
    // changed) when bytes exceed 7089.
    bool LoadSymbol(std::span<const std::uint8_t> bytes, int s) { return e_.LoadSymbol(bytes, s); }
    // Encodes the symbol input: 0 or -1. EncodeAuto sets EmodeR; EncodeFixed uses Emode.
    int EncodeAuto() { return e_.EncodeAuto(); }
    int EncodeFixed() { return e_.EncodeFixed(); }
    void MakeErrorCorrection() { e_.MakeErrorCorrection(); }
    void InterleaveCodewords() { e_.InterleaveCodewords(); }
    void PutFunctionPatterns() { e_.PutFunctionPatterns(); }
    void PlaceCodewords() { e_.PlaceCodewords(); }
    void ChooseMask() { e_.ChooseMask(); }
    void PutFormatInformation() { e_.PutFormatInformation(); }

    // The data codewords of the current Version and Eclevel, and the whole matrix (cells
    // beyond Modules() may hold an earlier, larger symbol).
    std::span<const std::uint8_t> DataCodewordBuffer() const {
        return std::span(e_.dataCodewords_)
            .first(static_cast<std::size_t>(
                e_.versions_[e_.version_].Levels[e_.eclevel_].DataCodewords));
    }
    const TQRMatrix& Matrix() const { return e_.matrix_; }

private:
    TQRSymbolEngine& e_;
};

// Steps(e).EncodeAuto() and so on.
inline TSymbolSteps Steps(TQRSymbolEngine& engine) {
    return TSymbolSteps(engine);
}

// Symbol builds started by every engine on this thread so far, so a test can tell how
// often a picture had its symbols built.
std::uint64_t BuildsStarted();

} // namespace detail
} // namespace qr::engine
