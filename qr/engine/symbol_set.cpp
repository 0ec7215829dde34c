#include "qr/engine/symbol_set.h"

#include <algorithm>

namespace qr::engine {

namespace {

bool Encodes(TQRSymbolEngine& engine, int s, TSymbolModules& set) {
    if (engine.BuildSymbolFrom(engine.Slice(s), s) != brBuilt) return false;
    set.Keep(engine, s);
    return true;
}

// The first symbol that does not encode at the engine's version, or 0 when all do (and
// then set holds every symbol). The symbol that failed last time is tried first: it is
// usually the longest.
int FirstMisfit(TQRSymbolEngine& engine, int hint, TSymbolModules& set) {
    const int count = engine.Count();
    set.Reset(count, engine.Modules());
    if (hint >= 1 && hint <= count && !Encodes(engine, hint, set)) return hint;
    for (int s = 1; s <= count; ++s)
        if (s != hint && !Encodes(engine, s, set)) return s;
    return 0;
}

bool AllSymbolsFit(TQRSymbolEngine& engine, TSymbolModules& set) {
    engine.DivideInput();
    engine.CheckDivision();
    return FirstMisfit(engine, 0, set) == 0;
}

// The smallest version at which every symbol fits, or 0.
int SmallestVersion(TQRSymbolEngine& engine, TSymbolModules& set) {
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        engine.SetVersion(v);
        if (AllSymbolsFit(engine, set)) return v;
    }
    return 0;
}

// Divides the input among n symbols of the given mode and tells whether all fit.
bool FitsIn(TQRSymbolEngine& engine, TQRMode mode, int n, TSymbolModules& set) {
    engine.SetMode(mode);
    engine.SetCount(n);
    return AllSymbolsFit(engine, set);
}

// The fewest symbols of the engine's version that carry the input: one, then 2..16
// linked, or 2..1024 plain pieces when asked for.
void ChooseCount(TQRSymbolEngine& engine, const TQRSetRequest& request, TQRSetResult& r) {
    const bool plus = request.Mode == qrPlus;
    if (!request.Mode && FitsIn(engine, qrSingle, 1, r.Symbols)) {
        r.Mode = qrSingle;
        r.Count = 1;
        return;
    }
    const auto mode = plus ? qrPlus : qrConnect;
    const int most = plus ? kMaxCount : kMaxLinked;
    // No symbol holds more bytes than its numeric capacity in digits, so fewer symbols
    // than this cannot carry the input.
    const int perSymbol = engine.VersionInfo().Levels[engine.Eclevel()].ModeCapacity[0];
    const int fewest = std::max(2, (engine.Len() + perSymbol - 1) / perSymbol);
    for (int n = fewest; n <= most; ++n) {
        if (FitsIn(engine, mode, n, r.Symbols)) {
            r.Mode = mode;
            r.Count = n;
            return;
        }
    }
    r.Status = ssNoFit;
    r.MostSymbols = most;
}

} // namespace

TQRBuildResult BuildDivision(TQRSymbolEngine& engine, TSymbolModules& set) {
    const int count = engine.Count();
    set.Reset(count, engine.Modules());
    for (int s = 1; s <= count; ++s) {
        const TQRBuildResult built = engine.BuildSymbolFrom(engine.Slice(s), s);
        if (built != brBuilt) return built;
        set.Keep(engine, s);
    }
    return brBuilt;
}

TQRPlan PlanSmallestSymbols(TQRSymbolEngine& engine, std::span<const int> levels,
                            TSymbolModules* set) {
    TSymbolModules scratch;
    TSymbolModules& keep = set ? *set : scratch;
    engine.SetMode(qrSingle);
    for (const int level : levels) {
        engine.SetEclevel(level);
        if (const int v = SmallestVersion(engine, keep); v != 0)
            return {true, v, level, qrSingle, 1};
    }
    engine.SetEclevel(levels.back());
    for (int n = 2; n <= kMaxLinked; ++n) {
        engine.SetMode(qrConnect);
        engine.SetCount(n);
        engine.SetVersion(kMaxVersion);
        // Fewer bytes than symbols divides into fewer symbols: nothing more to try.
        if (!AllSymbolsFit(engine, keep)) {
            if (engine.Count() < n) break;
            continue;
        }
        const int v = SmallestVersion(engine, keep);
        return {true, v, levels.back(), engine.Mode(), engine.Count()};
    }
    return {};
}

int FirstRefusedByte(std::span<const std::uint8_t> bytes, int mode) {
    const int n = static_cast<int>(bytes.size());
    for (int i = 0; i < n; ++i) {
        const std::uint8_t b = bytes[i];
        switch (mode) {
        case 0:
            if (b < '0' || b > '9') return i;
            break;
        case 1:
            if (b >= 0x80 || AlnumValue[b] < 0) return i;
            break;
        case 3:
            if (i + 1 >= n || !IsKanjiPair(b, bytes[i + 1])) return i;
            ++i;
            break;
        default:
            break;
        }
    }
    return -1;
}

TQRSetResult BuildSymbolSet(TQRSymbolEngine& engine, const TQRSetRequest& request,
                            std::string_view code) {
    TQRSetResult r;
    engine.SetVersion(request.Version > 0 ? request.Version : kMinVersion);
    engine.SetEclevel(request.Eclevel);
    engine.SetEmode(request.Emode);
    engine.SetMasktype(request.Masktype);
    engine.SetPxmag(request.Pxmag);
    engine.SetEci(request.Eci);
    engine.SetSegments(request.Segments);
    r.Mode = request.Mode;
    r.Count = request.Count;
    if (request.Mode) engine.SetMode(*request.Mode);
    if (request.Count) engine.SetCount(*request.Count);
    // The flag first, so the text is prepared once, with escapes resolved.
    if (request.BinaryOperation) engine.SetBinaryOperation(true);
    engine.SetCode(code);
    r.EscapeMalformed = request.BinaryOperation && !engine.BinaryOperation();

    engine.DivideInput();
    engine.CheckDivision();

    // A fixed mode refuses on content, whatever the division.
    if (request.Emode >= 0) {
        r.RefusedAt = FirstRefusedByte(engine.PreparedInput(), request.Emode);
        if (r.RefusedAt >= 0) {
            r.Status = ssModeRefused;
            return r;
        }
    }

    if (request.PhonePlan) {
        const TQRPlan plan = PlanSmallestSymbols(engine, std::span(kPhoneLevels), &r.Symbols);
        r.Version = engine.Version();
        r.Mode = engine.Mode();
        r.Count = engine.Count();
        if (!plan.Fits) r.Status = ssNoFit;
        return r;
    }

    if (request.CountAuto) {
        ChooseCount(engine, request, r);
        r.Version = engine.Version();
        return r;
    }

    int misfit = 0;
    if (request.Version > 0) {
        misfit = FirstMisfit(engine, 1, r.Symbols);
    } else {
        for (int v = kMinVersion; v <= kMaxVersion; ++v) {
            engine.SetVersion(v);
            misfit = FirstMisfit(engine, misfit, r.Symbols);
            if (misfit == 0) break;
        }
    }
    r.Version = engine.Version();
    if (misfit != 0) {
        r.Status = ssNoFit;
        r.Misfit = misfit;
    }
    return r;
}

} // namespace qr::engine
