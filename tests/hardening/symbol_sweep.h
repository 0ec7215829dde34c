// Building symbols with the engine and reading them back: shared by the hardening tests.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "qr/engine/symbol_engine.h"
#include "tests/support/engine_check.h"
#include "tests/support/zxing_reader.h"

namespace hardening {

using qr::engine::TQRSymbolEngine;

using test_support::CheckBuilt;

// zxing-cpp's reading of the symbol the engine built last (rendered with a quiet zone).
test_support::TZxingResult ReadBuilt(const TQRSymbolEngine& engine);

// Random text for a mode: 0 digits, 1 alphanumeric, 2 any bytes, 3 Kanji pairs,
// 4 a mixture of all of them.
std::string RandomText(std::mt19937& rng, int kind, int length);

inline std::vector<std::uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

} // namespace hardening
