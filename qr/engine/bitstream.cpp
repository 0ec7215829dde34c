#include "qr/engine/bitstream.h"

#include "qr/engine/detail/char_class.h"

#include <algorithm>

namespace qr::engine {

namespace {

// Appends bits to a stream through a register and stores whole bytes, so that one
// value does not wait for the previous one's read-modify-write of a shared byte. The
// stream is brought up to date by Finish.
class TBitCollector {
public:
    explicit TBitCollector(TBitStream& bs) : bs_(bs), held_(7 - bs.BitPos) {
        if (held_ > 0) bits_ = bs.Buffer[bs.BytePos] >> (bs.BitPos + 1);
    }
    // n 1..24.
    void Put(int n, std::uint32_t value) {
        bits_ = (bits_ << n) | (value & ((1u << n) - 1));
        held_ += n;
        while (held_ >= 8) {
            held_ -= 8;
            bs_.Buffer[bs_.BytePos++] = static_cast<std::uint8_t>(bits_ >> held_);
        }
    }
    void Finish() {
        if (held_ > 0) bs_.Buffer[bs_.BytePos] = static_cast<std::uint8_t>(bits_ << (8 - held_));
        bs_.BitPos = 7 - held_;
    }

private:
    TBitStream& bs_;
    int held_;
    std::uint64_t bits_ = 0;
};

// Writes the n bytes at p in the mode's segment rule; -1 on a byte the mode cannot carry
// (the bytes before it written).
int PutSegmentData(TBitStream& bs, const std::uint8_t* p, int n, int mode) {
    switch (mode) {
    case emNumeric:
        for (int i = 0; i < n; ++i)
            if (p[i] < '0' || p[i] > '9') return -1;
        break;
    case emAlphanumeric:
        for (int i = 0; i < n; ++i)
            if (p[i] >= 0x80 || AlnumValue[p[i]] < 0) return -1;
        break;
    default:
        break;
    }
    TBitCollector out(bs);
    int result = 0;
    switch (mode) {
    case emNumeric: {
        int i = 0;
        for (; i + 3 <= n; i += 3)
            out.Put(10, (p[i] - '0') * 100 + (p[i + 1] - '0') * 10 + (p[i + 2] - '0'));
        if (n - i == 2)
            out.Put(7, (p[i] - '0') * 10 + (p[i + 1] - '0'));
        else if (n - i == 1)
            out.Put(4, p[i] - '0');
        break;
    }
    case emAlphanumeric: {
        int i = 0;
        for (; i + 2 <= n; i += 2)
            out.Put(11, AlnumValue[p[i]] * 45 + AlnumValue[p[i + 1]]);
        if (i < n) out.Put(6, AlnumValue[p[i]]);
        break;
    }
    case emEightBit:
        for (int i = 0; i < n; ++i)
            out.Put(8, p[i]);
        break;
    default:
        for (int i = 0; i < n; i += 2) {
            if (i + 1 >= n || !IsKanjiPair(p[i], p[i + 1])) {
                result = -1;
                break;
            }
            out.Put(13, static_cast<std::uint32_t>(KanjiValue(p[i], p[i + 1])));
        }
        break;
    }
    out.Finish();
    return result;
}

void PutSegmentHeader(TBitStream& bs, const TQRVersionInfo& version, int mode, int n) {
    PutBits(bs, 4, static_cast<std::uint32_t>(ModeIndicator[mode]));
    PutBits(bs, version.CountBits[mode], static_cast<std::uint32_t>(mode == emKanji ? n >> 1 : n));
}

void PutTerminatorAndPads(TBitStream& bs) {
    int r = RemainingBits(bs);
    if (r < 4) {
        PutBits(bs, r, 0);
        r = 0;
    } else {
        PutBits(bs, 4, 0);
        r -= 4;
    }
    PutBits(bs, r % 8, 0);
    r -= r % 8;
    for (bool ec = true; r >= 8; ec = !ec, r -= 8)
        PutBits(bs, 8, ec ? 0xEC : 0x11);
}

// ClassAt, inlined into the analysis that asks it of every byte. Without Kanji (a
// character set other than Shift-JIS) a pair is two bytes of byte mode.
template <bool Kanji = true> inline int ClassOf(std::span<const std::uint8_t> bytes, int pos) {
    const int left = static_cast<int>(bytes.size()) - pos;
    if (left <= 0) return -1;
    const int c = CharClass[bytes[pos]];
    if (c != emKanji) return c;
    if (!Kanji || left == 1) return 2;
    return IsKanjiPair(bytes[pos], bytes[pos + 1]) ? 3 : 2;
}

template <bool Kanji> int RunLength(std::span<const std::uint8_t> bytes, int pos, int cls) {
    int j = 0;
    while (ClassOf<Kanji>(bytes, pos + j) == cls)
        ++j;
    return j;
}

template <bool Kanji>
int NextSegmentOf(const TQRVersionInfo& version, std::span<const std::uint8_t> bytes, int pos,
                  int& mode) {
    const int end = static_cast<int>(bytes.size());
    if (pos >= end) return 0;
    const int m = ClassOf<Kanji>(bytes, pos);
    const int step = m == emKanji ? 2 : 1;
    int k = 0;
    int p = pos;
    for (;;) {
        while (ClassOf<Kanji>(bytes, p) == m) {
            p += step;
            k += step;
        }
        if (p >= end) break;
        const int m2 = ClassOf<Kanji>(bytes, p);
        if (m == emKanji || m2 == emKanji) break;
        const int j = RunLength<Kanji>(bytes, p, m2);
        if (m > m2) {
            int split = SegmentBits(version, m, k) + SegmentBits(version, m2, j);
            if (ClassOf<Kanji>(bytes, p + j) == m) split += SegmentBits(version, m, 0);
            if (split < SegmentBits(version, m, k + j)) break;
            k += j;
            p += j;
        } else {
            if (SegmentBits(version, m, k) + SegmentBits(version, m2, j) <
                SegmentBits(version, m2, k + j))
                break;
            mode = m2;
            return k + j;
        }
    }
    mode = m;
    return k;
}

template <bool Kanji>
int EncodeAutoOf(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx, int eci,
                 TBitStream& bs, int& emodeR) {
    const TQRVersionInfo& version = *ctx.Version;
    StartBitStream(bs, ctx);
    if (PutEciHeader(bs, eci) != 0) return -1;
    int mode = kEmodeAuto;
    int pos = 0;
    for (;;) {
        const int n = NextSegmentOf<Kanji>(version, bytes, pos, mode);
        if (n <= 0) break;
        if (SegmentBits(version, mode, n) > RemainingBits(bs)) return -1;
        PutSegmentHeader(bs, version, mode, n);
        if (PutSegmentData(bs, bytes.data() + pos, n, mode) != 0) return -1;
        pos += n;
    }
    PutTerminatorAndPads(bs);
    emodeR = mode;
    return 0;
}

// The optimal rule's choice for one symbol: the designator written and what the
// segments may do. Under kEciAuto, Kanji pairs join 8-bit segments only where that
// saves more than the Shift-JIS header it then needs, or where the header is written
// anyway for other bytes of 0x80 or more.
struct TOptimalChoice {
    int Eci;
    TSegmentRule Rule;
};

TOptimalChoice OptimalChoice(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx) {
    if (ctx.Eci == kEciNone) return {kEciNone, {}};
    if (ctx.Eci != kEciAuto) return {ctx.Eci, {EciAllowsKanji(ctx.Eci), true}};
    constexpr TSegmentRule kAmongBytes{true, true};
    constexpr TSegmentRule kApart{true, false};
    const TKanjiScan scan = ScanKanji(bytes);
    if (scan.HighByteOutside) return {kEciShiftJis, kAmongBytes};
    if (!scan.Kanji) return {kEciNone, kApart};
    const int apart = OptimalBits(bytes, *ctx.Version, kApart);
    const int among = OptimalBits(bytes, *ctx.Version, kAmongBytes) + EciHeaderBits(kEciShiftJis);
    return among < apart ? TOptimalChoice{kEciShiftJis, kAmongBytes}
                         : TOptimalChoice{kEciNone, kApart};
}

// The segments of the optimal rule, one per run of a mode in the work area.
int EncodeOptimal(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx, TBitStream& bs,
                  int& emodeR) {
    const TQRVersionInfo& version = *ctx.Version;
    TSegmentWork& work = *ctx.Work;
    const TOptimalChoice choice = OptimalChoice(bytes, ctx);
    StartBitStream(bs, ctx);
    if (PutEciHeader(bs, choice.Eci) != 0) return -1;
    if (OptimalSegments(bytes, version, choice.Rule, work) > RemainingBits(bs)) return -1;
    const int n = static_cast<int>(bytes.size());
    int mode = kEmodeAuto;
    for (int pos = 0; pos < n;) {
        mode = work.Modes[pos];
        int end = pos + 1;
        while (end < n && work.Modes[end] == mode)
            ++end;
        const int length = end - pos;
        // A segment that outgrows its count field cannot fit the symbol either.
        if ((mode == emKanji ? length >> 1 : length) >= 1 << version.CountBits[mode]) return -1;
        PutSegmentHeader(bs, version, mode, length);
        if (PutSegmentData(bs, bytes.data() + pos, length, mode) != 0) return -1;
        pos = end;
    }
    PutTerminatorAndPads(bs);
    emodeR = mode;
    return 0;
}

template <bool Kanji>
int GreedyBits(std::span<const std::uint8_t> bytes, const TQRVersionInfo& version) {
    int bits = 0;
    int mode = kEmodeAuto;
    for (int pos = 0;;) {
        const int n = NextSegmentOf<Kanji>(version, bytes, pos, mode);
        if (n <= 0) break;
        bits += SegmentBits(version, mode, n);
        pos += n;
    }
    return bits;
}

} // namespace

void StartBitStream(TBitStream& bs, const TEncodeContext& ctx) {
    std::fill(bs.Buffer.begin(), bs.Buffer.end(), std::uint8_t{0});
    bs.DataCodewords = ctx.Version->Levels[ctx.Eclevel].DataCodewords;
    bs.BytePos = 0;
    bs.BitPos = 7;
    if (ctx.Mode == qrConnect) {
        PutBits(bs, 4, 3);
        PutBits(bs, 4, static_cast<std::uint32_t>(ctx.SymbolNumber - 1));
        PutBits(bs, 4, static_cast<std::uint32_t>(ctx.Count - 1));
        PutBits(bs, 8, static_cast<std::uint32_t>(ctx.Parity));
    }
}

void PutBits(TBitStream& bs, int n, std::uint32_t value) {
    // As many bits at once as the current byte has room for.
    while (n > 0) {
        const int room = bs.BitPos + 1;
        const int take = n < room ? n : room;
        const std::uint32_t chunk = (value >> (n - take)) & ((1u << take) - 1);
        bs.Buffer[bs.BytePos] |= static_cast<std::uint8_t>(chunk << (room - take));
        n -= take;
        bs.BitPos -= take;
        if (bs.BitPos < 0) {
            ++bs.BytePos;
            bs.BitPos = 7;
        }
    }
}

int RemainingBits(const TBitStream& bs) {
    return (bs.DataCodewords - bs.BytePos) * 8 - (7 - bs.BitPos);
}

int SegmentBits(const TQRVersionInfo& version, int mode, int n) {
    int bits = 4 + version.CountBits[mode];
    switch (mode) {
    case emNumeric:
        bits += 10 * (n / 3) + (n % 3 == 1 ? 4 : n % 3 == 2 ? 7 : 0);
        break;
    case emAlphanumeric:
        bits += 11 * (n / 2) + (n % 2 == 1 ? 6 : 0);
        break;
    case emEightBit:
        bits += 8 * n;
        break;
    default:
        bits += 13 * (n / 2);
        break;
    }
    return bits;
}

int ClassAt(std::span<const std::uint8_t> bytes, int pos) {
    return ClassOf(bytes, pos);
}

int NextSegment(const TQRVersionInfo& version, std::span<const std::uint8_t> bytes, int pos,
                int& mode) {
    return NextSegmentOf<true>(version, bytes, pos, mode);
}

int EciFor(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx, int emode) {
    if (ctx.Eci != kEciAuto) return ctx.Eci;
    if (emode == kEmodeAuto && ctx.Segments == sgOptimal) return OptimalChoice(bytes, ctx).Eci;
    if (emode == emEightBit) {
        for (const std::uint8_t b : bytes)
            if (b >= 0x80) return kEciShiftJis;
        return kEciNone;
    }
    if (emode != kEmodeAuto) return kEciNone;
    // Kanji pairs never share a segment with other bytes, so every byte of 0x80 or more
    // that does not start a pair ends up in a byte segment.
    const int n = static_cast<int>(bytes.size());
    for (int i = 0; i < n;) {
        const int c = ClassOf(bytes, i);
        if (c == emKanji) {
            i += 2;
            continue;
        }
        if (bytes[i] >= 0x80) return kEciShiftJis;
        ++i;
    }
    return kEciNone;
}

int PutEciHeader(TBitStream& bs, int designator) {
    const int bits = EciHeaderBits(designator);
    if (bits == 0) return 0;
    if (bits > RemainingBits(bs)) return -1;
    PutBits(bs, 4, 7);
    if (bits == 12)
        PutBits(bs, 8, static_cast<std::uint32_t>(designator));
    else if (bits == 20)
        PutBits(bs, 16, 0x8000u | static_cast<std::uint32_t>(designator));
    else
        PutBits(bs, 24, 0xC00000u | static_cast<std::uint32_t>(designator));
    return 0;
}

int AutoDataBits(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx) {
    if (ctx.Segments == sgOptimal) {
        const TOptimalChoice choice = OptimalChoice(bytes, ctx);
        return EciHeaderBits(choice.Eci) + OptimalBits(bytes, *ctx.Version, choice.Rule);
    }
    const int eci = ctx.Eci == kEciNone ? kEciNone : EciFor(bytes, ctx, kEmodeAuto);
    return EciHeaderBits(eci) + (EciAllowsKanji(eci) ? GreedyBits<true>(bytes, *ctx.Version)
                                                     : GreedyBits<false>(bytes, *ctx.Version));
}

int EncodeAuto(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx, TBitStream& bs,
               int& emodeR) {
    if (ctx.Segments == sgOptimal) return EncodeOptimal(bytes, ctx, bs, emodeR);
    const int eci = ctx.Eci == kEciNone ? kEciNone : EciFor(bytes, ctx, kEmodeAuto);
    return EciAllowsKanji(eci) ? EncodeAutoOf<true>(bytes, ctx, eci, bs, emodeR)
                               : EncodeAutoOf<false>(bytes, ctx, eci, bs, emodeR);
}

int EncodeFixed(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx, int emode,
                TBitStream& bs) {
    const TQRVersionInfo& version = *ctx.Version;
    const int n = static_cast<int>(bytes.size());
    StartBitStream(bs, ctx);
    if (emode < 0 || emode >= kModeCount) return -1;
    if (PutEciHeader(bs, EciFor(bytes, ctx, emode)) != 0) return -1;
    if (SegmentBits(version, emode, n) > RemainingBits(bs)) return -1;
    PutSegmentHeader(bs, version, emode, n);
    if (PutSegmentData(bs, bytes.data(), n, emode) != 0) return -1;
    PutTerminatorAndPads(bs);
    return 0;
}

} // namespace qr::engine
