#include "qr/engine/symbol_engine.h"

#include <algorithm>

#include "qr/engine/bitstream.h"
#include "qr/engine/detail/symbol_steps.h"
#include "qr/engine/masking.h"
#include "qr/engine/raster.h"
#include "qr/engine/reed_solomon.h"

namespace qr::engine {

TQRSymbolEngine::TQRSymbolEngine() : versions_(VersionTable), prepared_(4, '\0') {}

void TQRSymbolEngine::SetCode(std::string_view code) {
    code_.assign(code);
    if (designMode_) return;
    len_ = PrepareInput(code_, binaryOperation_, binary_, prepared_);
}

void TQRSymbolEngine::SetBinaryOperation(bool on) {
    if (designMode_) return;
    binaryOperation_ = on;
    len_ = PrepareInput(code_, binaryOperation_, binary_, prepared_);
}

std::span<const std::uint8_t> TQRSymbolEngine::PreparedInput() const {
    return {reinterpret_cast<const std::uint8_t*>(prepared_.data()),
            static_cast<std::size_t>(len_)};
}

bool TQRSymbolEngine::SetMode(TQRMode mode) {
    switch (static_cast<int>(mode)) {
    case qrSingle:
        count_ = 1;
        break;
    case qrConnect:
        count_ = std::clamp(count_, 2, kMaxLinked);
        break;
    case qrPlus:
        count_ = std::clamp(count_, 2, kMaxCount);
        break;
    default:
        return false;
    }
    mode_ = mode;
    return true;
}

bool TQRSymbolEngine::SetCount(int count) {
    if (count < 1 || count > kMaxCount) return false;
    count_ = count;
    return true;
}

bool TQRSymbolEngine::SetColumn(int column) {
    if (column < 1 || column > kMaxCount) return false;
    column_ = column;
    return true;
}

void TQRSymbolEngine::DivideInput() {
    qr::engine::DivideInput(PreparedInput(), count_, mode_, offset_, eci_ == kEciUtf8);
}

void TQRSymbolEngine::CheckDivision() {
    qr::engine::CheckDivision(PreparedInput(), len_, count_, mode_, column_, offset_, parity_);
}

std::span<const std::uint8_t> TQRSymbolEngine::Slice(int s) const {
    if (s < 1 || s > count_) return {};
    const int from = offset_[s - 1];
    const int to = offset_[s];
    // Boundaries outlive the input they were cut from (Code or Count may change between
    // a division and a read); stale ones select nothing.
    if (from < 0 || to < from || to > len_) return {};
    return PreparedInput().subspan(static_cast<std::size_t>(from),
                                   static_cast<std::size_t>(to - from));
}

bool TQRSymbolEngine::SetVersion(int version) {
    if (version < kMinVersion || version > kMaxVersion) return false;
    version_ = version;
    return true;
}

bool TQRSymbolEngine::SetEclevel(int level) {
    if (level < ecL || level > ecH) return false;
    eclevel_ = level;
    return true;
}

bool TQRSymbolEngine::SetEmode(int mode) {
    if (mode < kEmodeAuto || mode > emKanji) return false;
    emode_ = mode;
    emodeR_ = mode;
    return true;
}

bool TQRSymbolEngine::SetMasktype(int mask) {
    if (mask < kMaskAuto || mask >= kMaskCount) return false;
    masktype_ = mask;
    masktypeR_ = mask;
    return true;
}

bool TQRSymbolEngine::SetEci(int eci) {
    if (eci != kEciNone && eci != kEciAuto && (eci < 0 || eci > kMaxEci)) return false;
    eci_ = eci;
    return true;
}

bool TQRSymbolEngine::SetSegments(TQRSegments segments) {
    if (segments != sgGreedy && segments != sgOptimal) return false;
    segments_ = segments;
    return true;
}

bool TQRSymbolEngine::SetPxmag(int pxmag) {
    if (pxmag < 1 || pxmag > 10) return false;
    pxmag_ = pxmag;
    return true;
}

int TQRSymbolEngine::Capacity() const {
    const int mode = emodeR_ == -1 ? 1 : emodeR_;
    const TQRLevelInfo& level = versions_[version_].Levels[eclevel_];
    const int eci = eci_ == kEciAuto ? (mode == emEightBit ? kEciShiftJis : kEciNone) : eci_;
    if (eci == kEciNone) return count_ * level.ModeCapacity[mode];
    return count_ * tables::SegmentCapacity(mode, level.DataCodewords * 8 - EciHeaderBits(eci),
                                            versions_[version_].CountBits[mode]);
}

bool TQRSymbolEngine::LoadSymbol(std::span<const std::uint8_t> bytes, int s) {
    if (bytes.size() > static_cast<std::size_t>(kMaxSliceBytes)) return false;
    std::copy(bytes.begin(), bytes.end(), symbolInput_.begin());
    symbolLength_ = static_cast<int>(bytes.size());
    symbolNumber_ = s;
    return true;
}

TQRBuildResult TQRSymbolEngine::BuildSymbol(int s) {
    if (s < 1 || s > count_) return brNotLoaded;
    const int from = offset_[s - 1];
    const int to = offset_[s];
    if (from < 0 || to < from || to > len_) return brNotLoaded;
    return BuildSymbolFrom(PreparedInput().subspan(static_cast<std::size_t>(from),
                                                   static_cast<std::size_t>(to - from)),
                           s);
}

namespace {

// Per thread: batch workers build side by side, and one shared count would pass its
// cache line between their cores on every build.
thread_local std::uint64_t t_buildsStarted = 0;

} // namespace

std::uint64_t detail::BuildsStarted() {
    return t_buildsStarted;
}

TQRBuildResult TQRSymbolEngine::BuildSymbolFrom(std::span<const std::uint8_t> bytes, int s) {
    ++t_buildsStarted;
    if (!LoadSymbol(bytes, s)) return brNotLoaded;
    if ((emode_ == kEmodeAuto ? EncodeAuto() : EncodeFixed()) != 0) return brNotEncoded;
    MakeErrorCorrection();
    InterleaveCodewords();
    PutFunctionPatterns();
    PlaceCodewords();
    ChooseMask();
    PutFormatInformation();
    return brBuilt;
}

namespace {

TEncodeContext Context(const TQRVersionInfo& version, int eclevel, TQRMode mode, int count,
                       int parity, int symbolNumber, int eci, TQRSegments segments,
                       TSegmentWork& work) {
    TEncodeContext ctx;
    ctx.Version = &version;
    ctx.Eclevel = eclevel;
    ctx.Mode = mode;
    ctx.Count = count;
    ctx.Parity = parity;
    ctx.SymbolNumber = symbolNumber;
    ctx.Eci = eci;
    ctx.Segments = segments;
    ctx.Work = &work;
    return ctx;
}

} // namespace

int TQRSymbolEngine::DivisionEci() const {
    if (eci_ != kEciAuto || mode_ != qrConnect) return eci_;
    // Readers that join a linked set decode it with one character set: when any symbol
    // needs Shift-JIS announced, every symbol announces it.
    TEncodeContext ctx;
    ctx.Version = &versions_[version_];
    ctx.Eci = kEciAuto;
    ctx.Segments = segments_;
    for (int s = 1; s <= count_; ++s)
        if (EciFor(Slice(s), ctx, emode_) != kEciNone) return kEciShiftJis;
    return segments_ == sgOptimal && emode_ == kEmodeAuto ? kEciAuto : kEciNone;
}

int TQRSymbolEngine::EncodeAuto() {
    TBitStream bs{dataCodewords_};
    const auto ctx = Context(versions_[version_], eclevel_, mode_, count_, parity_, symbolNumber_,
                             DivisionEci(), segments_, segmentWork_);
    return qr::engine::EncodeAuto(std::span(symbolInput_).first(symbolLength_), ctx, bs, emodeR_);
}

int TQRSymbolEngine::EncodeFixed() {
    TBitStream bs{dataCodewords_};
    const auto ctx = Context(versions_[version_], eclevel_, mode_, count_, parity_, symbolNumber_,
                             DivisionEci(), segments_, segmentWork_);
    return qr::engine::EncodeFixed(std::span(symbolInput_).first(symbolLength_), ctx, emode_, bs);
}

void TQRSymbolEngine::MakeErrorCorrection() {
    qr::engine::MakeErrorCorrection(versions_[version_].Levels[eclevel_], dataCodewords_,
                                    ecCodewords_);
}

void TQRSymbolEngine::InterleaveCodewords() {
    qr::engine::InterleaveCodewords(versions_[version_].Levels[eclevel_], dataCodewords_,
                                    ecCodewords_, finalCodewords_);
}

// Cells beyond the side of the symbol may keep an earlier, larger symbol: nothing reads
// them, and clearing only the symbol keeps the small symbols cheap.
void TQRSymbolEngine::PutFunctionPatterns() {
    qr::engine::PutFunctionPatterns(matrix_, versions_[version_], Modules());
}

void TQRSymbolEngine::PlaceCodewords() {
    qr::engine::PlaceCodewords(
        matrix_, Modules(), std::span(finalCodewords_).first(versions_[version_].TotalCodewords));
}

void TQRSymbolEngine::ChooseMask() {
    qr::engine::ChooseMask(matrix_, Modules(), masktype_, masktypeR_, maskPlanes_);
}

void TQRSymbolEngine::PutFormatInformation() {
    qr::engine::PutFormatInformation(matrix_, versions_[version_], eclevel_,
                                     masktypeR_ < 0 ? 0 : masktypeR_);
}

bool TQRSymbolEngine::IsDark(int row, int column) const {
    const int n = Modules();
    return row >= 0 && row < n && column >= 0 && column < n &&
           qr::engine::IsDark(matrix_, row, column);
}

bool TQRSymbolEngine::IsDataBit(int row, int column) const {
    const int n = Modules();
    return row >= 0 && row < n && column >= 0 && column < n &&
           qr::engine::IsDataBit(matrix_, row, column);
}

bool TQRSymbolEngine::IsFunction(int row, int column) const {
    const int n = Modules();
    return row >= 0 && row < n && column >= 0 && column < n &&
           qr::engine::IsFunction(matrix_, row, column);
}

const std::vector<std::string>& TQRSymbolEngine::PBM() {
    TSymbolModules set;
    set.Reset(count_, Modules());
    for (int s = 1; s <= count_; ++s) {
        if (BuildSymbol(s) != brBuilt) break;
        set.Keep(*this, s);
    }
    PbmText(pbm_, set, mode_, count_, pxmag_);
    return pbm_;
}

} // namespace qr::engine
