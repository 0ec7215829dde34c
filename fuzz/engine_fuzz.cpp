// Any bytes: the first six choose the engine's settings, the rest is Code. Every symbol
// that builds must read back exactly under the strict checker.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "qr/engine/input.h"
#include "qr/engine/symbol_engine.h"
#include "tests/support/symbol_checker.h"

using namespace qr::engine;

namespace {

[[noreturn]] void Finding(const char* what, int symbol, const std::string& detail) {
    std::fprintf(stderr, "engine fuzz: %s (symbol %d): %s\n", what, symbol, detail.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    TQRSymbolEngine engine;
    const std::uint8_t* p = data;
    // Large symbols are slow under the sanitizers: versions above 10 come from one input
    // byte value in two. 41 is out of range and must be ignored.
    engine.SetVersion(p[0] & 0x80 ? 1 + p[0] % 41 : 1 + p[0] % 10);
    engine.SetEclevel(p[1] % 5);                            // 4 likewise
    engine.SetEmode(static_cast<int>((p[1] >> 3) % 6) - 1); // -1..4
    engine.SetMasktype(static_cast<int>(p[2] % 10) - 1);    // -1..8
    engine.SetPxmag(p[2] >> 6 == 0 ? 1 : 2);
    const int count = (p[4] << 8 | p[5]) % 1100;      // 0 and >1024 are ignored
    const auto mode = static_cast<TQRMode>(p[3] % 4); // 3 is ignored
    if (p[3] & 0x40) {
        engine.SetCount(count);
        engine.SetMode(mode);
    } else {
        engine.SetMode(mode);
        engine.SetCount(count);
    }
    engine.SetCode(std::string_view(reinterpret_cast<const char*>(data + 6), size - 6));
    engine.SetBinaryOperation((p[3] & 0x80) != 0);

    engine.DivideInput();
    try {
        engine.CheckDivision();
    } catch (const EQRDivisionError& e) {
        Finding("a division failed its own check", 0, e.what());
    }

    const int fixedMask = engine.Masktype();
    int checked = 0;
    // Up to 32 symbols are built and the first four read back; the costly mask
    // comparison runs for the first one, which keeps the search fast.
    for (int s = 1; s <= engine.Count() && s <= 32; ++s) {
        if (engine.BuildSymbol(s) != 0) break;
        if (checked++ >= 4) continue;
        const auto slice = engine.Slice(s);
        const std::vector<std::uint8_t> bytes(slice.begin(), slice.end());
        test_support::TSymbolExpectation expect;
        expect.Version = engine.Version();
        expect.Level = engine.Eclevel();
        expect.Mask = fixedMask >= 0 ? fixedMask : engine.MasktypeR();
        expect.AutomaticMask = fixedMask < 0 && s == 1;
        expect.Bytes = &bytes;
        if (engine.Mode() == qrConnect) {
            expect.SequenceIndex = s - 1;
            expect.SequenceCount = engine.Count();
            expect.Parity = engine.Parity();
        }
        const auto check =
            test_support::CheckSymbol(expect, [&](int r, int c) { return engine.IsDark(r, c); });
        if (!check.Ok) Finding("a built symbol does not read back", s, check.Error);
    }

    if (engine.Count() <= 2 && engine.Version() <= 10) {
        const auto& pbm = engine.PBM();
        const std::size_t width = static_cast<std::size_t>((engine.Modules() + 8) * engine.Pxmag());
        if (pbm.size() < 3 || (pbm.size() - 3) % (width + 2) != 0)
            Finding("PBM text has a partial picture", 0, std::to_string(pbm.size()) + " lines");
        for (std::size_t i = 3; i < pbm.size(); ++i)
            if (!pbm[i].empty() && pbm[i].size() != 2 * width)
                Finding("PBM line of the wrong length", 0, std::to_string(i));
    }
    return 0;
}
