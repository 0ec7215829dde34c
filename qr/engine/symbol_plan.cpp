#include "qr/engine/symbol_plan.h"

namespace qr::engine {

namespace {

bool AllSymbolsFit(TQRSymbolEngine& engine) {
    engine.DivideInput();
    engine.CheckDivision();
    for (int s = 1; s <= engine.Count(); ++s)
        if (engine.BuildSymbol(s) != brBuilt) return false;
    return true;
}

// The smallest version at which every symbol fits, or 0.
int SmallestVersion(TQRSymbolEngine& engine) {
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        engine.SetVersion(v);
        if (AllSymbolsFit(engine)) return v;
    }
    return 0;
}

} // namespace

TQRPlan PlanSmallestSymbols(TQRSymbolEngine& engine, std::span<const int> levels) {
    TQRPlan plan;
    engine.SetMode(qrSingle);
    for (const int level : levels) {
        engine.SetEclevel(level);
        if (const int v = SmallestVersion(engine); v != 0) {
            plan = {true, v, level, qrSingle, 1};
            return plan;
        }
    }
    engine.SetEclevel(levels.back());
    for (int n = 2; n <= 16; ++n) {
        engine.SetMode(qrConnect);
        engine.SetCount(n);
        engine.SetVersion(kMaxVersion);
        // Fewer bytes than symbols divides into fewer symbols: nothing more to try.
        if (!AllSymbolsFit(engine)) {
            if (engine.Count() < n) break;
            continue;
        }
        const int v = SmallestVersion(engine);
        plan = {true, v, levels.back(), engine.Mode(), engine.Count()};
        return plan;
    }
    return plan;
}

} // namespace qr::engine
