// The engine fuzz program for long searches: the inputs of fuzz_engine, with versions
// above 10 from one first byte in eight, and one symbol built (the first or the last of
// the division, as a hash of the input decides). It is held to invariants that cost a
// few hundred cell reads: finders, timing, both format copies, the dark module, nothing
// outside the symbol. One input in 128 (by the same hash) also meets the strict checker.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/engine_input.h"
#include "qr/engine/masking.h"
#include "qr/engine/matrix.h"
#include "tests/support/symbol_checker.h"

using namespace qr::engine;
using engine_fuzz::Finding;

namespace {

std::uint32_t Hash(const std::uint8_t* data, std::size_t size) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

// The finder whose top-left corner is (row, column), with its light separator where
// the symbol has room for it.
bool FinderAt(const TQRSymbolEngine& e, int row, int column) {
    const int n = e.Modules();
    for (int r = -1; r <= 7; ++r)
        for (int c = -1; c <= 7; ++c) {
            const int y = row + r;
            const int x = column + c;
            if (y < 0 || x < 0 || y >= n || x >= n) continue;
            const int ring = std::max(std::abs(2 * r - 6), std::abs(2 * c - 6)) / 2; // 0..4
            const bool dark = ring != 2 && ring != 4;
            if (e.IsDark(y, x) != dark) return false;
        }
    return true;
}

int ReadFormat(const TQRSymbolEngine& e, const std::array<TCellRef, 15>& cells) {
    const int n = e.Modules();
    int word = 0;
    for (int k = 0; k < 15; ++k)
        if (e.IsDark(Resolve(cells[k].Row, n), Resolve(cells[k].Column, n))) word |= 1 << k;
    return word;
}

void CheckInvariants(const TQRSymbolEngine& e, int s, int fixedMask) {
    const int n = e.Modules();
    const int mask = e.MasktypeR();
    if (mask < 0 || mask > 7 || (fixedMask >= 0 && mask != fixedMask))
        Finding("mask out of range or not the fixed one", s, std::to_string(mask));
    if (e.SymbolNumber() != s || e.SymbolLength() != static_cast<int>(e.Slice(s).size()))
        Finding("symbol loaded is not the one asked for", s, std::to_string(e.SymbolLength()));
    if (!FinderAt(e, 0, 0) || !FinderAt(e, 0, n - 7) || !FinderAt(e, n - 7, 0))
        Finding("a finder pattern is broken", s, "");
    for (int k = 8; k < n - 8; ++k)
        if (e.IsDark(6, k) != (k % 2 == 0) || e.IsDark(k, 6) != (k % 2 == 0))
            Finding("a timing pattern is broken", s, std::to_string(k));
    const int word = FormatWord(e.Eclevel(), mask);
    if (ReadFormat(e, FormatListA) != word || ReadFormat(e, FormatListB) != word)
        Finding("format information does not name level and mask", s, std::to_string(word));
    if (!e.IsDark(n - 8, 8)) Finding("the dark module is light", s, "");
    if (e.IsDark(-1, 0) || e.IsDark(0, n) || e.IsDark(n, n - 1))
        Finding("a cell outside the symbol reads dark", s, "");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < engine_fuzz::kSettingsBytes) return 0;
    TQRSymbolEngine engine;
    engine_fuzz::SetUp(engine, data, size, 0xE0);
    const int fixedMask = engine.Masktype();
    const std::uint32_t hash = Hash(data, size);
    const int s = hash & 1 ? engine.Count() : 1;
    if (engine.BuildSymbol(s) != brBuilt) return 0;
    CheckInvariants(engine, s, fixedMask);
    if (hash % 128 == 0) engine_fuzz::CheckStrictly(engine, s, fixedMask < 0);
    return 0;
}
