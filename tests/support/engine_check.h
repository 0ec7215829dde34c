// The strict checker pointed at the symbol an engine built last: the expectation
// (version, level, mask, bytes, structured-append header) taken from the engine itself.
// Shared by the hardening tests and the engine fuzz programs.
#pragma once

#include <cstdint>
#include <vector>

#include "qr/engine/symbol_engine.h"
#include "tests/support/symbol_checker.h"

namespace test_support {

// Symbol s of the engine's division, just built; `automaticMask` also asks the checker
// to confirm the mask choice (costly).
inline TSymbolCheck CheckBuilt(const qr::engine::TQRSymbolEngine& engine, int s,
                               bool automaticMask) {
    const auto slice = engine.Slice(s);
    const std::vector<std::uint8_t> bytes(slice.begin(), slice.end());
    TSymbolExpectation expect;
    expect.Version = engine.Version();
    expect.Level = engine.Eclevel();
    expect.Mask = engine.MasktypeR();
    expect.AutomaticMask = automaticMask;
    expect.Bytes = &bytes;
    if (engine.Mode() == qr::engine::qrConnect) {
        expect.SequenceIndex = s - 1;
        expect.SequenceCount = engine.Count();
        expect.Parity = engine.Parity();
    }
    return CheckSymbol(expect, [&](int r, int c) { return engine.IsDark(r, c); });
}

} // namespace test_support
