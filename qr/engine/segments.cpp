#include "qr/engine/segments.h"

namespace qr::engine {

namespace {

// Costs run in sixths of a bit, so that a digit (10/3 bits) and an alphanumeric
// character (11/2 bits) cost whole units; a segment's data is rounded up to whole
// bits when it ends, which gives exactly the 4 and 7 bits of a last one or two digits
// and the 6 bits of a last alphanumeric character.
constexpr int kSixths = 6;
constexpr int kDigitCost = 20; // 10 bits per 3 digits
constexpr int kAlnumCost = 33; // 11 bits per 2 characters
constexpr int kByteCost = 8 * kSixths;
constexpr int kKanjiCost = 13 * kSixths;
constexpr int kUnreachable = 1 << 29;

constexpr int WholeBits(int sixths) {
    return (sixths + kSixths - 1) / kSixths * kSixths;
}

// Width (1 or 2 bytes) of the character at i and whether it is a Kanji pair: a
// Shift-JIS lead byte with a trail byte after it is one double-byte character.
struct TChar {
    int Width;
    bool Kanji;
};

inline TChar CharAt(std::span<const std::uint8_t> bytes, int i, bool shiftJis) {
    const std::uint8_t b = bytes[i];
    if (!shiftJis || !IsShiftJisLeadByte(b) || i + 1 >= static_cast<int>(bytes.size()) ||
        !TrailBytes[bytes[i + 1]])
        return {1, false};
    return {2, IsKanjiPair(b, bytes[i + 1])};
}

// The costs, character by character. cost[m] is the fewest sixths of the text so far
// when its last segment, still open, has mode m (an empty one just opened included).
// With Record, work.Modes[i] keeps for each state after the character at i the mode
// of that character (2 bits per state) and work.Starts marks the characters.
template <bool Record>
int Costs(std::span<const std::uint8_t> bytes, const TQRVersionInfo& version, TSegmentRule rule,
          TSegmentWork* work, int& lastMode) {
    const int n = static_cast<int>(bytes.size());
    lastMode = kEmodeAuto;
    if (n == 0) return 0;
    std::array<int, kModeCount> head{};
    for (int m = 0; m < kModeCount; ++m)
        head[m] = (4 + version.CountBits[m]) * kSixths;
    std::array<int, kModeCount> cost = head;
    if constexpr (Record) work->Starts.fill(0);
    for (int i = 0; i < n;) {
        const TChar c = CharAt(bytes, i, rule.Kanji);
        const std::uint8_t b = bytes[i];
        std::array<int, kModeCount> next;
        const bool single = c.Width == 1;
        next[emNumeric] =
            single && b >= '0' && b <= '9' ? cost[emNumeric] + kDigitCost : kUnreachable;
        next[emAlphanumeric] = single && b < 0x80 && AlnumValue[b] >= 0
                                   ? cost[emAlphanumeric] + kAlnumCost
                                   : kUnreachable;
        next[emEightBit] =
            c.Kanji && !rule.KanjiInBytes ? kUnreachable : cost[emEightBit] + c.Width * kByteCost;
        next[emKanji] = c.Kanji ? cost[emKanji] + kKanjiCost : kUnreachable;
        // Or close the cheapest segment after this character and open another.
        int closing = 0;
        for (int m = 1; m < kModeCount; ++m)
            if (WholeBits(next[m]) < WholeBits(next[closing])) closing = m;
        const int closed = WholeBits(next[closing]);
        std::uint8_t from = 0;
        for (int m = 0; m < kModeCount; ++m) {
            int came = m;
            if (closed + head[m] < next[m]) {
                next[m] = closed + head[m];
                came = closing;
            }
            from = static_cast<std::uint8_t>(from | came << (2 * m));
        }
        if constexpr (Record) {
            work->Modes[i] = from;
            work->Starts[i >> 6] |= std::uint64_t{1} << (i & 63);
        }
        cost = next;
        i += c.Width;
    }
    int best = 0;
    for (int m = 1; m < kModeCount; ++m)
        if (WholeBits(cost[m]) < WholeBits(cost[best])) best = m;
    lastMode = best;
    return WholeBits(cost[best]) / kSixths;
}

} // namespace

int OptimalBits(std::span<const std::uint8_t> bytes, const TQRVersionInfo& version,
                TSegmentRule rule) {
    int last = 0;
    return Costs<false>(bytes, version, rule, nullptr, last);
}

int OptimalSegments(std::span<const std::uint8_t> bytes, const TQRVersionInfo& version,
                    TSegmentRule rule, TSegmentWork& work) {
    int state = 0;
    const int bits = Costs<true>(bytes, version, rule, &work, state);
    // Back from the end: each character's mode is the state it came from, and that is
    // the state before it. Every byte then holds the mode of its own character.
    const int n = static_cast<int>(bytes.size());
    int end = n;
    for (int i = n - 1; i >= 0; --i) {
        if (((work.Starts[i >> 6] >> (i & 63)) & 1) == 0) continue;
        state = (work.Modes[i] >> (2 * state)) & 3;
        for (int j = i; j < end; ++j)
            work.Modes[j] = static_cast<std::uint8_t>(state);
        end = i;
    }
    return bits;
}

TKanjiScan ScanKanji(std::span<const std::uint8_t> bytes) {
    TKanjiScan scan;
    const int n = static_cast<int>(bytes.size());
    for (int i = 0; i < n;) {
        const TChar c = CharAt(bytes, i, true);
        if (c.Kanji)
            scan.Kanji = true;
        else if (bytes[i] >= 0x80 || (c.Width == 2 && bytes[i + 1] >= 0x80))
            scan.HighByteOutside = true;
        i += c.Width;
    }
    return scan;
}

} // namespace qr::engine
