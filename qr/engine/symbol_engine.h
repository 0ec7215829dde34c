// TQRSymbolEngine: the Qt-free QR symbol engine. It owns the symbol tables, the prepared
// input, the division among symbols and every work area of a symbol build, and holds
// the encoding state that the TQRCode component publishes as properties.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "qr/engine/input.h"
#include "qr/engine/mask_planes.h"
#include "qr/engine/matrix.h"
#include "qr/engine/segments.h"
#include "qr/engine/symbol_tables.h"

namespace qr::engine {

namespace detail {
class TSymbolSteps;
}

// What became of a symbol build.
enum TQRBuildResult {
    brBuilt = 0,       // the matrix holds the finished symbol
    brNotEncoded = -1, // the data does not fit, or a byte is not allowed in the fixed mode
    brNotLoaded = -2,  // no such symbol, or its slice exceeds 7089 bytes: nothing changed
};

// One engine per component. Not thread-safe: everything runs on the caller's thread.
// Copyable, but large (the work areas of a version 40 symbol, about 97 KB).
class TQRSymbolEngine {
public:
    // All properties at their initial values (Version 1, level L, automatic mode and
    // mask, one single symbol, empty Code).
    TQRSymbolEngine();

    // ---- Input -------------------------------------------------------------------
    // The input bytes (Shift-JIS text or anything). Setting it stores the bytes and,
    // outside design mode, prepares the input again (Len, Binary, BinaryOperation).
    const std::string& Code() const { return code_; }
    void SetCode(std::string_view code);

    // Length of the prepared input in bytes; 0 after construction.
    int Len() const { return len_; }
    // True when an escape produced a control byte other than TAB, LF or CR.
    bool Binary() const { return binary_; }
    // Resolve ~hex~ escapes in Code. Ignored in design mode; otherwise stores the flag
    // and prepares the input again, which switches it off for a malformed escape.
    bool BinaryOperation() const { return binaryOperation_; }
    void SetBinaryOperation(bool on);

    // The prepared input: Len() bytes (followed in memory by four zero bytes).
    std::span<const std::uint8_t> PreparedInput() const;

    // ---- Division ----------------------------------------------------------------
    // qrSingle forces Count 1, qrConnect clamps Count into 2..16, qrPlus into 2..1024;
    // any other value is ignored and false returned (so for Count and Column).
    TQRMode Mode() const { return mode_; }
    bool SetMode(TQRMode mode);
    // Requested number of symbols, 1..1024 (others ignored). DivideInput may lower it.
    int Count() const { return count_; }
    bool SetCount(int count);
    // Symbols per row of the component's grid, 1..1024 (others ignored); default 16.
    int Column() const { return column_; }
    bool SetColumn(int column);
    // Structured-append parity: XOR of the prepared input, computed by CheckDivision in
    // connect mode; 0 after construction.
    int Parity() const { return parity_; }
    // Symbol boundaries: symbol k (1..Count) holds bytes Offset(k-1) .. Offset(k)-1.
    // i outside 0..1024 reads 0.
    int Offset(int i) const { return i >= 0 && i < kOffsetCount ? offset_[i] : 0; }
    std::span<const int, kOffsetCount> Offsets() const { return offset_; }

    // Divides the prepared input among Count symbols: fills Offset, may lower Count and
    // correct Mode. Run at the start of every repaint, before CheckDivision.
    void DivideInput();
    // Checks the last division and computes Parity; throws EQRDivisionError ("Illegal
    // " + name + " : %d") when it is inconsistent. Run right after DivideInput.
    void CheckDivision();
    // The bytes of symbol s (1..Count) as last divided; empty for s out of range.
    std::span<const std::uint8_t> Slice(int s) const;

    // ---- Symbol parameters -------------------------------------------------------
    // Every validating setter returns whether it took the value; a refused value
    // changes nothing.
    // Version 1..40 (others ignored); never chosen by the engine.
    int Version() const { return version_; }
    bool SetVersion(int version);
    // Error-correction level 0 L, 1 M, 2 Q, 3 H (others ignored).
    int Eclevel() const { return eclevel_; }
    bool SetEclevel(int level);
    // Encoding mode -1 automatic, 0 numeric, 1 alphanumeric, 2 8-bit, 3 Kanji (others
    // ignored). Setting it also sets EmodeR to the same value.
    int Emode() const { return emode_; }
    bool SetEmode(int mode);
    // Mode of the last segment written by the last successful automatic encoding, -1
    // when it wrote none.
    int EmodeR() const { return emodeR_; }
    // Mask -1 automatic or 0..7 (others ignored); also sets MasktypeR.
    int Masktype() const { return masktype_; }
    bool SetMasktype(int mask);
    // Mask of the last symbol built (or the fixed Masktype); -1 until an automatic build.
    int MasktypeR() const { return masktypeR_; }
    // Extended channel interpretation of every symbol: kEciNone (the initial value, no
    // designator), kEciAuto (Shift-JIS announced where a byte segment needs it) or a
    // designator 0..999999 (others ignored). Under a designator other than Shift-JIS the
    // automatic analysis uses no Kanji mode.
    int Eci() const { return eci_; }
    bool SetEci(int eci);
    // How the automatic mode analysis (Emode -1) chooses its segments: sgGreedy (the
    // initial value) by the documented one-run look-ahead, sgOptimal the fewest bits
    // for Version (others ignored). Fixed modes do not read it.
    TQRSegments Segments() const { return segments_; }
    bool SetSegments(TQRSegments segments);
    // Pixels per module of pictures and of the PBM text, 1..10 (others ignored).
    int Pxmag() const { return pxmag_; }
    bool SetPxmag(int pxmag);
    // Count times the one-segment capacity of Version and Eclevel in mode EmodeR
    // (alphanumeric when EmodeR is -1), less the ECI header where Eci writes one (under
    // kEciAuto: in byte mode).
    int Capacity() const;
    // Modules per side of the current Version (21..177).
    int Modules() const { return 4 * version_ + 17; }
    // The table row of the current Version.
    const TQRVersionInfo& VersionInfo() const { return versions_[version_]; }

    // The component is being designed in a form designer: SetCode only stores the text,
    // SetBinaryOperation is ignored. Off by default.
    bool DesignMode() const { return designMode_; }
    void SetDesignMode(bool on) { designMode_ = on; }

    // ---- Building symbols --------------------------------------------------------
    // Builds symbol s (1..Count) of the last division: loads its slice, encodes it, adds
    // error correction, places it, masks it and writes format information, in that
    // order. brNotLoaded when s is out of range, the division is stale or the slice
    // exceeds 7089 bytes (nothing changed); brNotEncoded when the data does not fit
    // Version and Eclevel or a byte is not allowed in a fixed Emode (EmodeR as the
    // encoder left it). Allocates nothing.
    TQRBuildResult BuildSymbol(int s);
    // Same build for arbitrary bytes as symbol number s (for structured append).
    TQRBuildResult BuildSymbolFrom(std::span<const std::uint8_t> bytes, int s);

    // The finished module matrix of the last build: dark bit of cell (row, column),
    // row 0 at the top. False outside 0..Modules()-1.
    bool IsDark(int row, int column) const;
    bool IsDataBit(int row, int column) const;
    bool IsFunction(int row, int column) const;

    // Number (1-based) and byte length of the symbol last loaded for a build.
    int SymbolNumber() const { return symbolNumber_; }
    int SymbolLength() const { return symbolLength_; }

    // The PBM text of every symbol of the last division (header, then one 0/1 picture
    // per symbol), rebuilt on each read; the engine's own list. Stops at a failed symbol.
    const std::vector<std::string>& PBM();

private:
    friend class detail::TSymbolSteps;

    // The build's steps, in their fixed order (BuildSymbolFrom runs them).
    bool LoadSymbol(std::span<const std::uint8_t> bytes, int s);
    int EncodeAuto();
    int EncodeFixed();
    // The ECI the symbols of this division carry: Eci, but under kEciAuto in connect
    // mode one choice for the whole set (under the optimal rule kEciAuto again when no
    // symbol needs Shift-JIS, so that each keeps its Kanji out of byte segments).
    int DivisionEci() const;
    void MakeErrorCorrection();
    void InterleaveCodewords();
    void PutFunctionPatterns();
    void PlaceCodewords();
    void ChooseMask();
    void PutFormatInformation();

    TQRVersionTable versions_;

    std::string code_;
    std::string prepared_; // Len bytes + 4 zero bytes
    int len_ = 0;
    bool binary_ = false;
    bool binaryOperation_ = false;
    bool designMode_ = false;

    TQRMode mode_ = qrSingle;
    int count_ = 1;
    int column_ = 16;
    int parity_ = 0;
    std::array<int, kOffsetCount> offset_{};

    int version_ = 1;
    int eclevel_ = 0;
    int emode_ = -1;
    int emodeR_ = -1;
    int masktype_ = -1;
    int masktypeR_ = -1;
    int pxmag_ = 1;
    int eci_ = -1; // kEciNone
    TQRSegments segments_ = sgGreedy;

    int symbolNumber_ = 1;
    int symbolLength_ = 0;
    std::array<std::uint8_t, kMaxSliceBytes> symbolInput_{};
    std::array<std::uint8_t, kMaxDataCodewords> dataCodewords_{};
    std::array<std::uint8_t, kMaxEcCodewords> ecCodewords_{};
    std::array<std::uint8_t, kMaxTotalCodewords> finalCodewords_{};
    TQRMatrix matrix_{};
    TMaskPlanes maskPlanes_{};
    TSegmentWork segmentWork_{};

    std::vector<std::string> pbm_;
};

} // namespace qr::engine
