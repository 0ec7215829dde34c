#include "cli/symbols.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "qr/engine/symbol_plan.h"

namespace cli {

namespace {

using qr::engine::TQRSymbolEngine;

constexpr const char* kModeNames[] = {"numeric", "alphanumeric", "8-bit byte", "Kanji"};

std::string VersionLevel(int version, int level) {
    return std::to_string(version) + "-" + "LMQH"[level];
}

std::string HexByte(std::uint8_t b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

// Offset of the first byte that a fixed mode cannot carry, or -1. An automatic
// encoding can carry any byte, so only a fixed mode refuses on content.
int FirstRefusedByte(std::span<const std::uint8_t> bytes, int mode) {
    const int n = static_cast<int>(bytes.size());
    for (int i = 0; i < n; ++i) {
        const std::uint8_t b = bytes[i];
        switch (mode) {
        case 0:
            if (b < '0' || b > '9') return i;
            break;
        case 1:
            if (b >= 0x80 || qr::engine::AlnumValue[b] < 0) return i;
            break;
        case 3:
            if (i + 1 >= n || !qr::engine::IsKanjiPair(b, bytes[i + 1])) return i;
            ++i;
            break;
        default:
            break;
        }
    }
    return -1;
}

// Builds symbol s and keeps its modules in store.
bool Encodes(TQRSymbolEngine& engine, int s, TSymbolModules& store) {
    if (engine.BuildSymbolFrom(engine.Slice(s), s) != qr::engine::brBuilt) return false;
    store.Keep(engine, s);
    return true;
}

// The first symbol that does not encode at the engine's version, or 0 when all do
// (and then store holds every symbol). The symbol that failed last time is tried
// first: it is usually the longest.
int FirstMisfit(TQRSymbolEngine& engine, int hint, TSymbolModules& store) {
    const int count = engine.Count();
    store.Reset(count, engine.Modules());
    if (hint >= 1 && hint <= count && !Encodes(engine, hint, store)) return hint;
    for (int s = 1; s <= count; ++s)
        if (s != hint && !Encodes(engine, s, store)) return s;
    return 0;
}

std::string ModeRefusal(std::span<const std::uint8_t> input, int mode) {
    const int at = FirstRefusedByte(input, mode);
    if (at < 0) return {};
    const bool lone = mode == 3 && at + 1 >= static_cast<int>(input.size());
    return std::string(lone ? "the last byte " : "byte ") + HexByte(input[at]) +
           (lone ? "" : " at position " + std::to_string(at + 1)) + " cannot be carried in " +
           kModeNames[mode] + " mode";
}

// Divides the input among n symbols of the given mode and tells whether all fit.
bool FitsIn(TQRSymbolEngine& engine, qr::engine::TQRMode mode, int n, TSymbolModules& store) {
    engine.SetMode(mode);
    engine.SetCount(n);
    engine.DivideInput();
    engine.CheckDivision();
    return FirstMisfit(engine, 0, store) == 0;
}

// The fewest symbols of the engine's version that carry the input: one, then 2..16
// linked, or 2..1024 plain pieces when asked for. Fills r's plan or its refusal.
void ChooseCount(TQRSymbolEngine& engine, const TSymbolRequest& o, TBuildResult& r) {
    const bool plus = o.Split == qr::engine::qrPlus;
    if (!o.Split && FitsIn(engine, qr::engine::qrSingle, 1, r.Symbols)) {
        r.Mode = qr::engine::qrSingle;
        r.Count = 1;
        return;
    }
    const auto mode = plus ? qr::engine::qrPlus : qr::engine::qrConnect;
    const int most = plus ? qr::engine::kMaxCount : 16;
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
    r.Exit = kExitNoFit;
    r.Error = "the text (" + std::to_string(engine.Len()) + " bytes) does not fit in " +
              std::to_string(most) + (plus ? " symbols" : " linked symbols") + " of version " +
              VersionLevel(engine.Version(), engine.Eclevel()) +
              (o.Emode >= 0 ? std::string(" in ") + kModeNames[o.Emode] + " mode" : "");
}

} // namespace

TBuildResult PrepareSymbols(TQRSymbolEngine& engine, const TSymbolRequest& o,
                            const std::string& code) {
    TBuildResult r;
    engine.SetVersion(o.Version > 0 ? o.Version : qr::engine::kMinVersion);
    engine.SetEclevel(o.Eclevel);
    engine.SetEmode(o.Emode);
    engine.SetMasktype(o.Masktype);
    engine.SetPxmag(o.Pxmag);
    engine.SetEci(o.Eci);
    engine.SetSegments(o.Segments);
    r.Mode = o.Split;
    r.Count = o.Count;
    if (o.Split) engine.SetMode(*o.Split);
    if (o.Count) engine.SetCount(*o.Count);
    // The flag first, so the text is prepared once, with escapes resolved.
    if (o.BinaryOperation) engine.SetBinaryOperation(true);
    engine.SetCode(code);
    if (o.BinaryOperation && !engine.BinaryOperation())
        r.Warnings.push_back("a ~ escape is malformed, so the text is taken as it stands");

    engine.DivideInput();
    engine.CheckDivision();

    // A fixed mode refuses on content, whatever the division.
    if (o.Emode >= 0) {
        if (auto refusal = ModeRefusal(engine.PreparedInput(), o.Emode); !refusal.empty()) {
            r.Exit = kExitUsage;
            r.Error = std::move(refusal);
            return r;
        }
    }

    if (o.PhonePlan) {
        const qr::engine::TQRPlan plan = qr::engine::PlanSmallestSymbols(engine);
        r.Version = engine.Version();
        r.Mode = engine.Mode();
        r.Count = engine.Count();
        if (!plan.Fits || FirstMisfit(engine, 0, r.Symbols) != 0) {
            r.Exit = kExitNoFit;
            r.Error = "the payload (" + std::to_string(engine.Len()) +
                      " bytes) does not fit in 16 linked symbols of version 40-L";
        }
        return r;
    }

    if (o.CountAuto) {
        ChooseCount(engine, o, r);
        r.Version = engine.Version();
        return r;
    }

    int misfit = 0;
    if (o.Version > 0) {
        misfit = FirstMisfit(engine, 1, r.Symbols);
    } else {
        for (int v = qr::engine::kMinVersion; v <= qr::engine::kMaxVersion; ++v) {
            engine.SetVersion(v);
            misfit = FirstMisfit(engine, misfit, r.Symbols);
            if (misfit == 0) break;
        }
    }
    r.Version = engine.Version();
    if (misfit != 0) {
        const int count = engine.Count();
        r.Exit = kExitNoFit;
        r.Error = "symbol " + std::to_string(misfit) + " of " + std::to_string(count) +
                  " does not fit: " + std::to_string(engine.Slice(misfit).size()) +
                  " bytes at version " + VersionLevel(engine.Version(), engine.Eclevel()) +
                  (o.Version > 0 ? "" : ", the largest") +
                  (o.Emode >= 0 ? std::string(" in ") + kModeNames[o.Emode] + " mode" : "");
    }
    return r;
}

std::string PbmTooLarge(const TQRSymbolEngine& engine, bool standard) {
    const int count = engine.Count();
    const std::uint64_t w = static_cast<std::uint64_t>(engine.Modules() + 8) * engine.Pxmag();
    const std::uint64_t bytes = standard ? w * ((w + 7) / 8) + 32 : (w + 2) * (2 * w + 1);
    if (static_cast<std::uint64_t>(count) * bytes <= kMaxPictureBytes) return {};
    return std::string(standard ? "the PBM picture of " : "the PBM text of ") +
           std::to_string(count) + " symbols of version " + std::to_string(engine.Version()) +
           " at --pxmag " + std::to_string(engine.Pxmag()) +
           " would exceed 1 GiB; ask for fewer symbols or a smaller --pxmag";
}

const std::vector<std::string>* PbmLines(TQRSymbolEngine& engine) {
    const auto& lines = engine.PBM();
    const std::size_t w = static_cast<std::size_t>(engine.Modules() + 8) * engine.Pxmag();
    if (lines.size() != 3 + static_cast<std::size_t>(engine.Count()) * (2 + w)) return nullptr;
    return &lines;
}

} // namespace cli
