#include "cli/symbols.h"

#include <cstdio>
#include <span>

#include "qr/engine/detail/symbol_steps.h"

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

// The set at the highest level above the engine's that keeps its version and count, or
// `set` as it is (the engine built at its level again) when none does.
qr::engine::TQRSetResult Boosted(TQRSymbolEngine& engine, const TSymbolRequest& o,
                                 const std::string& code, qr::engine::TQRSetResult set) {
    const int level = engine.Eclevel();
    const int count = engine.Count();
    if (level == qr::engine::ecH) return set;
    qr::engine::TQRSetRequest raised = o;
    raised.Version = set.Version;
    raised.Mode = set.Mode;
    raised.Count = count;
    raised.CountAuto = false;
    raised.PhonePlan = false;
    for (int higher = qr::engine::ecH; higher > level; --higher) {
        raised.Eclevel = higher;
        auto tried = qr::engine::BuildSymbolSet(engine, raised, code);
        if (tried.Status == qr::engine::ssBuilt && engine.Count() == count &&
            engine.Version() == set.Version)
            return tried;
    }
    raised.Eclevel = level;
    return qr::engine::BuildSymbolSet(engine, raised, code);
}

// Reads the data codewords of one symbol back as its segments.
class TSegmentReader {
public:
    explicit TSegmentReader(std::span<const std::uint8_t> data) : data_(data) {}
    int Used() const { return at_; }
    bool Has(int n) const { return at_ + n <= static_cast<int>(data_.size()) * 8; }
    void Skip(int n) { at_ += n; }
    // n <= 32 bits, most significant first.
    std::uint32_t Read(int n) {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i, ++at_)
            v = (v << 1) | ((data_[static_cast<std::size_t>(at_ / 8)] >> (7 - at_ % 8)) & 1u);
        return v;
    }

private:
    std::span<const std::uint8_t> data_;
    int at_ = 0;
};

constexpr const char* kUnits[] = {"digits", "characters", "bytes", "characters"};

// Data bits of n characters of the mode.
int DataBits(int mode, int n) {
    switch (mode) {
    case 0:
        return 10 * (n / 3) + (n % 3 == 1 ? 4 : n % 3 == 2 ? 7 : 0);
    case 1:
        return 11 * (n / 2) + 6 * (n % 2);
    case 2:
        return 8 * n;
    default:
        return 13 * n;
    }
}

} // namespace

std::string DescribeSymbols(TQRSymbolEngine& engine) {
    std::string out;
    const auto& info = engine.VersionInfo();
    const int count = engine.Count();
    for (int s = 1; s <= count; ++s) {
        if (engine.BuildSymbol(s) != qr::engine::brBuilt) break;
        const auto data = qr::engine::detail::Steps(engine).DataCodewordBuffer();
        out += "symbol " + std::to_string(s) + " of " + std::to_string(count) + ": version " +
               VersionLevel(engine.Version(), engine.Eclevel()) + ", mask " +
               std::to_string(engine.MasktypeR()) + ", " + std::to_string(engine.SymbolLength()) +
               " bytes\n";
        TSegmentReader bits(data);
        int used = 0; // to the end of the last segment: the terminator and pads are not data
        while (bits.Has(4)) {
            const int start = bits.Used();
            const std::uint32_t indicator = bits.Read(4);
            if (indicator == 0) break;
            std::string what;
            if (indicator == 3 && bits.Has(16)) {
                const std::uint32_t v = bits.Read(16);
                what = "structured append " + std::to_string((v >> 12) + 1) + " of " +
                       std::to_string(((v >> 8) & 15) + 1) + ", parity " + HexByte(v & 0xFF);
            } else if (indicator == 7 && bits.Has(8)) {
                // One, two or three bytes, told by the first one's leading bits.
                std::uint32_t v = bits.Read(8);
                if ((v & 0xC0) == 0x80 && bits.Has(8))
                    v = ((v & 0x3F) << 8) | bits.Read(8);
                else if ((v & 0xE0) == 0xC0 && bits.Has(16))
                    v = ((v & 0x1F) << 16) | bits.Read(16);
                what = "ECI " + std::to_string(v);
            } else {
                int mode = 0;
                while (mode < 4 && qr::engine::ModeIndicator[mode] != static_cast<int>(indicator))
                    ++mode;
                if (mode == 4 || !bits.Has(info.CountBits[mode])) break;
                const int n = static_cast<int>(bits.Read(info.CountBits[mode]));
                const int length = DataBits(mode, n);
                if (!bits.Has(length)) break;
                bits.Skip(length);
                what =
                    std::string(kModeNames[mode]) + ", " + std::to_string(n) + " " + kUnits[mode];
            }
            used = bits.Used();
            out += "  " + what + ": " + std::to_string(used - start) + " bits\n";
        }
        out += "  data bits used: " + std::to_string(used) + " of " +
               std::to_string(static_cast<int>(data.size()) * 8) + "\n";
    }
    return out;
}

TBuildResult PrepareSymbols(TQRSymbolEngine& engine, const TSymbolRequest& o,
                            const std::string& code) {
    qr::engine::TQRSetResult set = qr::engine::BuildSymbolSet(engine, o, code);
    if (o.Boost && set.Status == qr::engine::ssBuilt)
        set = Boosted(engine, o, code, std::move(set));
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

std::string PbmTooLarge(const TQRSymbolEngine& engine, bool standard, int margin, int pxmag) {
    const int count = engine.Count();
    if (pxmag <= 0) pxmag = engine.Pxmag();
    const std::uint64_t w = static_cast<std::uint64_t>(engine.Modules() + 2 * margin) * pxmag;
    const std::uint64_t bytes = standard ? w * ((w + 7) / 8) + 32 : (w + 2) * (2 * w + 1);
    if (static_cast<std::uint64_t>(count) * bytes <= kMaxPictureBytes) return {};
    return std::string(standard ? "the PBM picture of " : "the PBM text of ") +
           std::to_string(count) + " symbols of version " + std::to_string(engine.Version()) +
           " at --pxmag " + std::to_string(pxmag) +
           " would exceed 1 GiB; ask for fewer symbols or a smaller --pxmag";
}

} // namespace cli
