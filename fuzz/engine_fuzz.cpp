// Any bytes: the first six choose the engine's settings, the rest is Code. Every symbol
// that builds must read back exactly under the strict checker.
#include <cstdint>
#include <vector>

#include "fuzz/engine_input.h"
#include "tests/support/symbol_checker.h"

using namespace qr::engine;
using engine_fuzz::Finding;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < engine_fuzz::kSettingsBytes) return 0;
    TQRSymbolEngine engine;
    engine_fuzz::SetUp(engine, data, size, 0x80);

    const int fixedMask = engine.Masktype();
    int checked = 0;
    // Up to 32 symbols are built and the first four read back; the costly mask
    // comparison runs for the first one, which keeps the search fast.
    for (int s = 1; s <= engine.Count() && s <= 32; ++s) {
        if (engine.BuildSymbol(s) != 0) break;
        if (checked++ >= 4) continue;
        engine_fuzz::CheckStrictly(engine, s, fixedMask < 0 && s == 1);
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
