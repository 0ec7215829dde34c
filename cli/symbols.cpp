#include "cli/symbols.h"

#include <cstdio>

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

std::string InMode(int emode) {
    return emode >= 0 ? std::string(" in ") + kModeNames[emode] + " mode" : "";
}

std::string Refusal(const TQRSymbolEngine& engine, const TSymbolRequest& o,
                    const qr::engine::TQRSetResult& r) {
    if (r.Status == qr::engine::ssModeRefused) {
        const auto input = engine.PreparedInput();
        const int at = r.RefusedAt;
        const bool lone = o.Emode == 3 && at + 1 >= static_cast<int>(input.size());
        return std::string(lone ? "the last byte " : "byte ") + HexByte(input[at]) +
               (lone ? "" : " at position " + std::to_string(at + 1)) + " cannot be carried in " +
               kModeNames[o.Emode] + " mode";
    }
    if (o.PhonePlan)
        return "the payload (" + std::to_string(engine.Len()) +
               " bytes) does not fit in 16 linked symbols of version 40-L";
    if (o.CountAuto)
        return "the text (" + std::to_string(engine.Len()) + " bytes) does not fit in " +
               std::to_string(r.MostSymbols) +
               (o.Mode == qr::engine::qrPlus ? " symbols" : " linked symbols") + " of version " +
               VersionLevel(engine.Version(), engine.Eclevel()) + InMode(o.Emode);
    return "symbol " + std::to_string(r.Misfit) + " of " + std::to_string(engine.Count()) +
           " does not fit: " + std::to_string(engine.Slice(r.Misfit).size()) +
           " bytes at version " + VersionLevel(engine.Version(), engine.Eclevel()) +
           (o.Version > 0 ? "" : ", the largest") + InMode(o.Emode);
}

} // namespace

TBuildResult PrepareSymbols(TQRSymbolEngine& engine, const TSymbolRequest& o,
                            const std::string& code) {
    qr::engine::TQRSetResult set = qr::engine::BuildSymbolSet(engine, o, code);
    TBuildResult r;
    if (set.EscapeMalformed)
        r.Warnings.push_back("a ~ escape is malformed, so the text is taken as it stands");
    if (set.Status != qr::engine::ssBuilt) {
        r.Exit = set.Status == qr::engine::ssModeRefused ? kExitUsage : kExitNoFit;
        r.Error = Refusal(engine, o, set);
    }
    r.Version = set.Version;
    r.Mode = set.Mode;
    r.Count = set.Count;
    r.Symbols = std::move(set.Symbols);
    return r;
}

std::string PbmTooLarge(const TQRSymbolEngine& engine, bool standard) {
    const int count = engine.Count();
    const std::uint64_t w =
        static_cast<std::uint64_t>(engine.Modules() + 2 * qr::engine::kQuietZone) * engine.Pxmag();
    const std::uint64_t bytes = standard ? w * ((w + 7) / 8) + 32 : (w + 2) * (2 * w + 1);
    if (static_cast<std::uint64_t>(count) * bytes <= kMaxPictureBytes) return {};
    return std::string(standard ? "the PBM picture of " : "the PBM text of ") +
           std::to_string(count) + " symbols of version " + std::to_string(engine.Version()) +
           " at --pxmag " + std::to_string(engine.Pxmag()) +
           " would exceed 1 GiB; ask for fewer symbols or a smaller --pxmag";
}

} // namespace cli
