// How the engine fuzz programs read their input: the first six bytes choose the
// engine's settings (out-of-range values included, which must be ignored; bit 0x20 of
// the fourth the optimal segmentation), the rest is Code.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "qr/engine/input.h"
#include "qr/engine/symbol_engine.h"
#include "tests/support/engine_check.h"

namespace engine_fuzz {

constexpr std::size_t kSettingsBytes = 6;

[[noreturn]] inline void Finding(const char* what, int symbol, const std::string& detail) {
    std::fprintf(stderr, "engine fuzz: %s (symbol %d): %s\n", what, symbol, detail.c_str());
    std::abort();
}

// Sets up the engine from at least kSettingsBytes bytes and divides the input. Large
// symbols are slow under the sanitizers: versions above 10 come only from first bytes
// with all the bits of `large` set (0x80: one value in two).
inline void SetUp(qr::engine::TQRSymbolEngine& engine, const std::uint8_t* data, std::size_t size,
                  std::uint8_t large) {
    using namespace qr::engine;
    const std::uint8_t* p = data;
    // 41 is out of range and must be ignored.
    engine.SetVersion((p[0] & large) == large ? 1 + p[0] % 41 : 1 + p[0] % 10);
    engine.SetEclevel(p[1] % 5);                            // 4 likewise
    engine.SetEmode(static_cast<int>((p[1] >> 3) % 6) - 1); // -1..4
    engine.SetMasktype(static_cast<int>(p[2] % 10) - 1);    // -1..8
    engine.SetPxmag(p[2] >> 6 == 0 ? 1 : 2);
    engine.SetSegments((p[3] & 0x20) != 0 ? sgOptimal : sgGreedy);
    const int count = (p[4] << 8 | p[5]) % 1100;      // 0 and >1024 are ignored
    const auto mode = static_cast<TQRMode>(p[3] % 4); // 3 is ignored
    if (p[3] & 0x40) {
        engine.SetCount(count);
        engine.SetMode(mode);
    } else {
        engine.SetMode(mode);
        engine.SetCount(count);
    }
    engine.SetCode(std::string_view(reinterpret_cast<const char*>(data + kSettingsBytes),
                                    size - kSettingsBytes));
    engine.SetBinaryOperation((p[3] & 0x80) != 0);

    engine.DivideInput();
    try {
        engine.CheckDivision();
    } catch (const EQRDivisionError& e) {
        Finding("a division failed its own check", 0, e.what());
    }
}

// Symbol s, just built, read back cell by cell by the strict checker; a mismatch is a
// finding.
inline void CheckStrictly(const qr::engine::TQRSymbolEngine& engine, int s, bool automaticMask) {
    const auto check = test_support::CheckBuilt(engine, s, automaticMask);
    if (!check.Ok) Finding("a built symbol does not read back", s, check.Error);
}

} // namespace engine_fuzz
