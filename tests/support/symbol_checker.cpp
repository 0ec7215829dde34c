#include "tests/support/symbol_checker.h"

#include <array>
#include <cstdlib>

#include "qr/engine/symbol_tables.h"

namespace test_support {
namespace {

using qr::engine::TQRVersionInfo;
using qr::engine::VersionTable;

// ---- GF(256) over x^8 + x^4 + x^3 + x^2 + 1, built here so the check owes nothing to
// the encoder's own arithmetic.
struct Field {
    std::array<int, 512> exp{};
    std::array<int, 256> log{};
    Field() {
        int x = 1;
        for (int i = 0; i < 255; ++i) {
            exp[i] = x;
            log[x] = i;
            x <<= 1;
            if (x & 0x100) x ^= 0x11D;
        }
        for (int i = 255; i < 512; ++i)
            exp[i] = exp[i - 255];
    }
    int Mul(int a, int b) const { return a && b ? exp[log[a] + log[b]] : 0; }
};
const Field& GF() {
    static const Field field;
    return field;
}

// ---- The cells a reader must not take data from, and the colours they must have.
enum CellKind : std::uint8_t { kData, kFixedLight, kFixedDark, kFormat, kVersionInfo, kDarkModule };

struct Layout {
    int n = 0;
    std::vector<std::uint8_t> kind;
    CellKind& at(int r, int c) { return reinterpret_cast<CellKind&>(kind[r * n + c]); }
    CellKind at(int r, int c) const { return static_cast<CellKind>(kind[r * n + c]); }
};

Layout MakeLayout(const TQRVersionInfo& info) {
    Layout l;
    l.n = info.Modules;
    const int n = l.n;
    l.kind.assign(static_cast<std::size_t>(n * n), kData);
    auto square = [&](int top, int left, int size, auto colour) {
        for (int r = 0; r < size; ++r)
            for (int c = 0; c < size; ++c)
                if (top + r >= 0 && top + r < n && left + c >= 0 && left + c < n)
                    l.at(top + r, left + c) = colour(r, c) ? kFixedDark : kFixedLight;
    };
    // Finder with its separator: a 9 x 9 light square around a 7 x 7 ring pattern.
    auto finder = [&](int top, int left) {
        square(top - 1, left - 1, 9, [](int, int) { return false; });
        square(top, left, 7, [](int r, int c) {
            const int d = std::max(std::abs(r - 3), std::abs(c - 3));
            return d != 2;
        });
    };
    finder(0, 0);
    finder(0, n - 7);
    finder(n - 7, 0);
    for (int i = 8; i < n - 8; ++i) {
        l.at(6, i) = i % 2 == 0 ? kFixedDark : kFixedLight;
        l.at(i, 6) = i % 2 == 0 ? kFixedDark : kFixedLight;
    }
    for (int a = 0; a < info.AlignCount; ++a)
        for (int b = 0; b < info.AlignCount; ++b) {
            const int r = info.AlignPos[a], c = info.AlignPos[b];
            const bool inFinder =
                (r < 9 && c < 9) || (r < 9 && c > n - 10) || (r > n - 10 && c < 9);
            if (inFinder) continue;
            square(r - 2, c - 2, 5, [](int rr, int cc) {
                const int d = std::max(std::abs(rr - 2), std::abs(cc - 2));
                return d != 1;
            });
        }
    for (int i = 0; i < 9; ++i) {
        if (i == 6) continue; // (8, 6) and (6, 8) belong to the timing patterns
        l.at(8, i) = kFormat;
        l.at(i, 8) = kFormat;
    }
    for (int i = 0; i < 8; ++i) {
        l.at(8, n - 1 - i) = kFormat;
        if (i < 7) l.at(n - 1 - i, 8) = kFormat;
    }
    l.at(n - 8, 8) = kDarkModule;
    if (info.VersionNo >= 7)
        for (int k = 0; k < 18; ++k) {
            l.at(n - 11 + k % 3, k / 3) = kVersionInfo;
            l.at(k / 3, n - 11 + k % 3) = kVersionInfo;
        }
    return l;
}

bool MaskHolds(int mask, int i, int j) {
    switch (mask) {
    case 0:
        return (i + j) % 2 == 0;
    case 1:
        return i % 2 == 0;
    case 2:
        return j % 3 == 0;
    case 3:
        return (i + j) % 3 == 0;
    case 4:
        return (i / 2 + j / 3) % 2 == 0;
    case 5:
        return (i * j) % 2 + (i * j) % 3 == 0;
    case 6:
        return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default:
        return ((i * j) % 3 + (i + j) % 2) % 2 == 0;
    }
}

// Remainder of value * x^degree divided by the generator, all as bit strings.
int BchRemainder(int value, int degree, int generator) {
    int v = value << degree;
    const int top = 31 - __builtin_clz(static_cast<unsigned>(generator));
    for (int b = 30; b >= top; --b)
        if (v & (1 << b)) v ^= generator << (b - top);
    return v;
}

// Cells of format bit k in its two copies: column 8 (top rows, then bottom rows) and
// row 8 (right columns, then left columns).
void FormatCells(int n, int k, int& r1, int& c1, int& r2, int& c2) {
    static constexpr int kTop[8] = {0, 1, 2, 3, 4, 5, 7, 8};
    static constexpr int kLeft[7] = {7, 5, 4, 3, 2, 1, 0};
    c1 = 8;
    r1 = k < 8 ? kTop[k] : n - 15 + k;
    r2 = 8;
    c2 = k < 8 ? n - 1 - k : kLeft[k - 8];
}

class BitReader {
public:
    explicit BitReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    int Left() const { return static_cast<int>(bytes_.size()) * 8 - pos_; }
    int Read(int count) {
        int v = 0;
        for (int i = 0; i < count; ++i, ++pos_)
            v = (v << 1) | ((bytes_[pos_ / 8] >> (7 - pos_ % 8)) & 1);
        return v;
    }
    int Position() const { return pos_; }

private:
    const std::vector<std::uint8_t>& bytes_;
    int pos_ = 0;
};

constexpr char kAlnum[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

std::string ParseData(const TQRVersionInfo& info, const std::vector<std::uint8_t>& data,
                      TSymbolReading& out) {
    BitReader in(data);
    bool first = true;
    while (true) {
        if (in.Left() < 4) {
            if (in.Left() > 0 && in.Read(in.Left()) != 0) return "short terminator is not zero";
            break;
        }
        const int indicator = in.Read(4);
        if (indicator == 0) break;
        if (indicator == 3) {
            if (!first) return "structured-append header after a segment";
            if (in.Left() < 16) return "structured-append header cut short";
            out.SequenceIndex = in.Read(4);
            out.SequenceCount = in.Read(4) + 1;
            out.Parity = in.Read(8);
            first = false;
            continue;
        }
        first = false;
        int mode = -1;
        switch (indicator) {
        case 1:
            mode = 0;
            break;
        case 2:
            mode = 1;
            break;
        case 4:
            mode = 2;
            break;
        case 8:
            mode = 3;
            break;
        default:
            return "unknown mode indicator " + std::to_string(indicator);
        }
        out.SegmentModes.push_back(mode);
        const int countBits = info.CountBits[mode];
        if (in.Left() < countBits) return "character count cut short";
        int count = in.Read(countBits);
        auto need = [&](int bits) { return in.Left() >= bits; };
        switch (mode) {
        case 0:
            for (; count > 0; count -= 3) {
                const int digits = count >= 3 ? 3 : count;
                const int bits = digits == 3 ? 10 : digits == 2 ? 7 : 4;
                if (!need(bits)) return "numeric segment cut short";
                const int v = in.Read(bits);
                if (v >= (digits == 3 ? 1000 : digits == 2 ? 100 : 10))
                    return "numeric group out of range";
                const std::string s = std::to_string(v + (digits == 3   ? 1000
                                                          : digits == 2 ? 100
                                                                        : 10));
                for (int i = 1; i <= digits; ++i)
                    out.Bytes.push_back(static_cast<std::uint8_t>(s[i]));
            }
            break;
        case 1:
            for (; count > 0; count -= 2) {
                const int bits = count >= 2 ? 11 : 6;
                if (!need(bits)) return "alphanumeric segment cut short";
                const int v = in.Read(bits);
                if (count >= 2) {
                    if (v >= 45 * 45) return "alphanumeric pair out of range";
                    out.Bytes.push_back(static_cast<std::uint8_t>(kAlnum[v / 45]));
                    out.Bytes.push_back(static_cast<std::uint8_t>(kAlnum[v % 45]));
                } else {
                    if (v >= 45) return "alphanumeric character out of range";
                    out.Bytes.push_back(static_cast<std::uint8_t>(kAlnum[v]));
                }
            }
            break;
        case 2:
            if (!need(8 * count)) return "byte segment cut short";
            for (; count > 0; --count)
                out.Bytes.push_back(static_cast<std::uint8_t>(in.Read(8)));
            break;
        case 3:
            if (!need(13 * count)) return "Kanji segment cut short";
            for (; count > 0; --count) {
                const int v = in.Read(13);
                const int hi = v / 0xC0, lo = v % 0xC0;
                const int lead = hi + 0x81 <= 0x9F ? hi + 0x81 : hi + 0xC1;
                const int trail = lo + 0x40;
                if (lead > 0xEB || trail == 0x7F || trail > 0xFC)
                    return "Kanji value names no character";
                out.Bytes.push_back(static_cast<std::uint8_t>(lead));
                out.Bytes.push_back(static_cast<std::uint8_t>(trail));
            }
            break;
        }
        out.ByteModes.resize(out.Bytes.size(), static_cast<std::uint8_t>(mode));
    }
    // Bit padding to the codeword boundary, then the alternating pad codewords.
    while (in.Position() % 8 != 0)
        if (in.Read(1) != 0) return "bit padding is not zero";
    for (int i = 0; in.Left() >= 8; ++i)
        if (in.Read(8) != (i % 2 == 0 ? 0xEC : 0x11))
            return "pad codeword " + std::to_string(i) + " is not " +
                   (i % 2 == 0 ? "0xEC" : "0x11");
    return {};
}

// Penalty along one line of n cells, read through get(i): runs and finder-like patterns.
template <typename Get> int LinePenalty(int n, Get get) {
    int score = 0;
    for (int i = 0; i < n;) {
        int j = i;
        while (j < n && get(j) == get(i))
            ++j;
        if (j - i >= 5) score += 3 + (j - i - 5);
        i = j;
    }
    static constexpr int kPattern[7] = {1, 0, 1, 1, 1, 0, 1};
    for (int j = 0; j + 7 <= n; ++j) {
        bool match = true;
        for (int k = 0; k < 7 && match; ++k)
            match = get(j + k) == kPattern[k];
        if (match && (j == 0 || !get(j - 1)) && (j + 7 == n || !get(j + 7))) score += 40;
    }
    return score;
}

std::vector<std::pair<int, int>> ZigZag(const Layout& layout) {
    const int n = layout.n;
    std::vector<std::pair<int, int>> order;
    order.reserve(static_cast<std::size_t>(n * n));
    for (int right = n - 1, upward = 1; right >= 1; right -= 2, upward ^= 1) {
        if (right == 6) right = 5;
        for (int step = 0; step < n; ++step) {
            const int r = upward ? n - 1 - step : step;
            for (int c = right; c >= right - 1; --c)
                if (layout.at(r, c) == kData) order.emplace_back(r, c);
        }
    }
    return order;
}

// Block sizes in table order: data codewords of each block, and the EC codewords per block.
void BlockShape(const TQRVersionInfo& info, int level, std::vector<int>& dataLen, int& ec) {
    const auto& lv = info.Levels[level];
    dataLen.clear();
    for (int g = 0; g < lv.GroupCount; ++g)
        for (int b = 0; b < lv.Groups[g].Blocks; ++b)
            dataLen.push_back(lv.Groups[g].BlockDataCodewords);
    ec = lv.Groups[0].BlockCodewords - lv.Groups[0].BlockDataCodewords;
}

} // namespace

std::vector<std::pair<int, int>> DataCellOrder(int version) {
    return ZigZag(MakeLayout(VersionTable[version]));
}

std::vector<int> CodewordBlocks(int version, int level) {
    std::vector<int> dataLen;
    int ec = 0;
    BlockShape(VersionTable[version], level, dataLen, ec);
    std::vector<int> owner;
    const int blocks = static_cast<int>(dataLen.size());
    for (int i = 0; i < dataLen.back(); ++i)
        for (int b = 0; b < blocks; ++b)
            if (i < dataLen[b]) owner.push_back(b);
    for (int i = 0; i < ec; ++i)
        for (int b = 0; b < blocks; ++b)
            owner.push_back(b);
    return owner;
}

int ReferencePenalty(int n, const std::vector<std::uint8_t>& dark) {
    int score = 0;
    for (int r = 0; r < n; ++r)
        score += LinePenalty(n, [&](int i) { return dark[r * n + i] != 0; });
    for (int c = 0; c < n; ++c)
        score += LinePenalty(n, [&](int i) { return dark[i * n + c] != 0; });
    for (int r = 0; r + 1 < n; ++r)
        for (int c = 0; c + 1 < n; ++c) {
            const int v = dark[r * n + c];
            if (dark[r * n + c + 1] == v && dark[(r + 1) * n + c] == v &&
                dark[(r + 1) * n + c + 1] == v)
                score += 3;
        }
    long darkCount = 0;
    for (auto d : dark)
        darkCount += d != 0;
    const long percent = 100 * darkCount / (static_cast<long>(n) * n);
    score += 10 * static_cast<int>(std::labs(percent - 50) / 5);
    return score;
}

TSymbolCheck CheckSymbol(const TSymbolExpectation& expect,
                         const std::function<bool(int, int)>& isDark) {
    TSymbolCheck result;
    auto fail = [&](std::string why) {
        result.Error = std::move(why);
        return result;
    };
    if (expect.Version < 1 || expect.Version > 40) return fail("no such version");
    const TQRVersionInfo& info = VersionTable[expect.Version];
    const Layout layout = MakeLayout(info);
    const int n = layout.n;

    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const CellKind k = layout.at(r, c);
            const bool dark = isDark(r, c);
            if ((k == kFixedDark && !dark) || (k == kFixedLight && dark) ||
                (k == kDarkModule && !dark))
                return fail("function module (" + std::to_string(r) + "," + std::to_string(c) +
                            ") has the wrong colour");
        }

    // Format information: both copies, a valid BCH(15,5) word under the 0x5412 mask.
    int copies[2] = {0, 0};
    for (int k = 0; k < 15; ++k) {
        int r1, c1, r2, c2;
        FormatCells(n, k, r1, c1, r2, c2);
        copies[0] |= isDark(r1, c1) << k;
        copies[1] |= isDark(r2, c2) << k;
    }
    if (copies[0] != copies[1]) return fail("the two format copies differ");
    const int format = copies[0] ^ 0x5412;
    const int formatData = format >> 10;
    if ((format & 0x3FF) != BchRemainder(formatData, 10, 0x537))
        return fail("format word is not a codeword");
    const int level = (formatData >> 3) ^ 1;
    const int mask = formatData & 7;
    result.Reading.Level = level;
    result.Reading.Mask = mask;
    if (expect.Level >= 0 && level != expect.Level)
        return fail("format names level " + std::to_string(level));
    if (expect.Mask >= 0 && mask != expect.Mask)
        return fail("format names mask " + std::to_string(mask));

    if (info.VersionNo >= 7) {
        int a = 0, b = 0;
        for (int k = 0; k < 18; ++k) {
            a |= isDark(n - 11 + k % 3, k / 3) << k;
            b |= isDark(k / 3, n - 11 + k % 3) << k;
        }
        if (a != b) return fail("the two version copies differ");
        if ((a >> 12) != info.VersionNo || (a & 0xFFF) != BchRemainder(info.VersionNo, 12, 0x1F25))
            return fail("version word is wrong");
    } else {
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
                if (layout.at(r, c) == kVersionInfo) return fail("version area below version 7");
    }

    // Unmask and read the data cells in the zig-zag order.
    std::vector<std::uint8_t> unmasked(static_cast<std::size_t>(n * n), 0);
    const std::vector<std::pair<int, int>> order = ZigZag(layout);
    for (auto [r, c] : order)
        unmasked[r * n + c] = isDark(r, c) != MaskHolds(mask, r, c);
    const int total = info.TotalCodewords;
    if (static_cast<int>(order.size()) != total * 8 + info.RemainderBits)
        return fail("data cell count does not match the version");
    std::vector<std::uint8_t> codewords(static_cast<std::size_t>(total), 0);
    for (int i = 0; i < total * 8; ++i) {
        auto [r, c] = order[i];
        if (unmasked[r * n + c]) codewords[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    }
    for (std::size_t i = static_cast<std::size_t>(total) * 8; i < order.size(); ++i)
        if (unmasked[order[i].first * n + order[i].second])
            return fail("remainder cell is dark before masking");

    // De-interleave into blocks and check every syndrome.
    std::vector<int> dataLen;
    int ec = 0;
    BlockShape(info, level, dataLen, ec);
    const int blockCount = static_cast<int>(dataLen.size());
    std::vector<std::vector<std::uint8_t>> blocks;
    for (int b = 0; b < blockCount; ++b)
        blocks.emplace_back(static_cast<std::size_t>(dataLen[b] + ec));
    int p = 0;
    for (int i = 0; i < dataLen.back(); ++i)
        for (int b = 0; b < blockCount; ++b)
            if (i < dataLen[b]) blocks[b][i] = codewords[p++];
    for (int i = 0; i < ec; ++i)
        for (int b = 0; b < blockCount; ++b)
            blocks[b][dataLen[b] + i] = codewords[p++];
    if (p != total) return fail("block structure does not cover the codewords");
    const Field& gf = GF();
    for (int b = 0; b < blockCount; ++b)
        for (int s = 0; s < ec; ++s) {
            int acc = 0;
            for (std::uint8_t cw : blocks[b])
                acc = gf.Mul(acc, gf.exp[s]) ^ cw;
            if (acc != 0) return fail("block " + std::to_string(b) + " has a non-zero syndrome");
        }

    std::vector<std::uint8_t> data;
    data.reserve(static_cast<std::size_t>(info.Levels[level].DataCodewords));
    for (int b = 0; b < blockCount; ++b)
        data.insert(data.end(), blocks[b].begin(), blocks[b].begin() + dataLen[b]);
    if (std::string why = ParseData(info, data, result.Reading); !why.empty()) return fail(why);

    if (expect.Bytes && result.Reading.Bytes != *expect.Bytes)
        return fail("decoded bytes differ from the slice");
    if (expect.SequenceIndex != result.Reading.SequenceIndex)
        return fail("structured-append position differs");
    if (expect.SequenceIndex >= 0 && (expect.SequenceCount != result.Reading.SequenceCount ||
                                      expect.Parity != result.Reading.Parity))
        return fail("structured-append count or parity differs");

    if (expect.AutomaticMask) {
        // Score every mask on the symbol as it stood before format information was written:
        // format, version and dark-module cells count as light.
        std::vector<std::uint8_t> grid(static_cast<std::size_t>(n * n));
        int best = -1, bestScore = 0;
        for (int m = 0; m < 8; ++m) {
            for (int r = 0; r < n; ++r)
                for (int c = 0; c < n; ++c) {
                    const CellKind k = layout.at(r, c);
                    grid[r * n + c] = k == kFixedDark ||
                                      (k == kData && (unmasked[r * n + c] != MaskHolds(m, r, c)));
                }
            const int score = ReferencePenalty(n, grid);
            if (best < 0 || score < bestScore) {
                best = m;
                bestScore = score;
            }
        }
        if (best != mask)
            return fail("mask " + std::to_string(mask) + " chosen, but mask " +
                        std::to_string(best) + " scores lowest");
    }
    result.Ok = true;
    return result;
}

} // namespace test_support
