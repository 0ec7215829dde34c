#include "bench/segment_reader.h"

#include <memory>
#include <vector>

#include "qr/engine/symbol_engine.h"

namespace bench {

namespace {

using qr::engine::VersionTable;

bool MaskBit(int mask, int row, int col) {
    const int x = col;
    const int y = row;
    switch (mask) {
    case 0:
        return (x + y) % 2 == 0;
    case 1:
        return y % 2 == 0;
    case 2:
        return x % 3 == 0;
    case 3:
        return (x + y) % 3 == 0;
    case 4:
        return (x / 3 + y / 2) % 2 == 0;
    case 5:
        return x * y % 2 + x * y % 3 == 0;
    case 6:
        return (x * y % 2 + x * y % 3) % 2 == 0;
    default:
        return ((x + y) % 2 + x * y % 3) % 2 == 0;
    }
}

class TBits {
public:
    explicit TBits(std::vector<int> bits) : bits_(std::move(bits)) {}
    int Left() const { return static_cast<int>(bits_.size()) - pos_; }
    int Pos() const { return pos_; }
    int Read(int n) {
        int v = 0;
        for (int i = 0; i < n; ++i)
            v = v << 1 | (pos_ < static_cast<int>(bits_.size()) ? bits_[pos_++] : 0);
        return v;
    }

private:
    std::vector<int> bits_;
    int pos_ = 0;
};

} // namespace

TReadSymbol ReadSymbolBits(int side, const std::function<bool(int, int)>& dark) {
    TReadSymbol r;
    if (side < 21 || side > 177 || (side - 17) % 4 != 0) {
        r.Error = "side " + std::to_string(side);
        return r;
    }
    const int v = (side - 17) / 4;
    r.Version = v;
    // Format information beside the top-left finder (ISO/IEC 18004, 7.9), no errors.
    int format = 0;
    auto bitAt = [&](int i, int row, int col) { format |= (dark(row, col) ? 1 : 0) << i; };
    for (int i = 0; i <= 5; ++i)
        bitAt(i, i, 8);
    bitAt(6, 7, 8);
    bitAt(7, 8, 8);
    bitAt(8, 8, 7);
    for (int i = 9; i < 15; ++i)
        bitAt(i, 8, 14 - i);
    format ^= 0x5412;
    const int data = format >> 10;
    static constexpr int kLevelOf[] = {1, 0, 3, 2}; // format bits 00 M, 01 L, 10 H, 11 Q
    r.Level = kLevelOf[data >> 3];
    const int mask = data & 7;

    // Which cells are function patterns: from a symbol of the same version of ours.
    auto probe = std::make_unique<qr::engine::TQRSymbolEngine>();
    probe->SetVersion(v);
    if (probe->BuildSymbolFrom({}, 1) != qr::engine::brBuilt) {
        r.Error = "probe";
        return r;
    }
    const auto& info = VersionTable[v];
    const auto& level = info.Levels[r.Level];
    std::vector<int> raw;
    raw.reserve(static_cast<std::size_t>(info.TotalCodewords) * 8);
    for (int right = side - 1; right >= 1; right -= 2) {
        if (right == 6) right = 5;
        for (int vert = 0; vert < side; ++vert)
            for (int j = 0; j < 2; ++j) {
                const int col = right - j;
                const bool upward = ((right + 1) & 2) == 0;
                const int row = upward ? side - 1 - vert : vert;
                if (probe->IsFunction(row, col)) continue;
                raw.push_back((dark(row, col) != MaskBit(mask, row, col)) ? 1 : 0);
            }
    }
    // Codewords, then the data codewords of each block in turn.
    std::vector<int> codewords;
    for (std::size_t i = 0; i + 8 <= raw.size(); i += 8) {
        int c = 0;
        for (int b = 0; b < 8; ++b)
            c = c << 1 | raw[i + static_cast<std::size_t>(b)];
        codewords.push_back(c);
    }
    std::vector<int> sizes;
    for (int g = 0; g < level.GroupCount; ++g)
        for (int b = 0; b < level.Groups[g].Blocks; ++b)
            sizes.push_back(level.Groups[g].BlockDataCodewords);
    std::vector<std::vector<int>> blocks(sizes.size());
    std::size_t at = 0;
    const int longest = sizes.empty() ? 0 : sizes.back();
    for (int i = 0; i < longest; ++i)
        for (std::size_t b = 0; b < sizes.size(); ++b)
            if (i < sizes[b] && at < codewords.size()) blocks[b].push_back(codewords[at++]);
    std::vector<int> bits;
    for (const auto& block : blocks)
        for (const int c : block)
            for (int b = 7; b >= 0; --b)
                bits.push_back((c >> b) & 1);
    if (static_cast<int>(bits.size()) != level.DataCodewords * 8) {
        r.Error = "codewords";
        return r;
    }

    static const char kAlnum[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    TBits in(std::move(bits));
    const auto& countBits = info.CountBits;
    r.Bits = -1;
    while (in.Left() >= 4) {
        const int start = in.Pos();
        const int indicator = in.Read(4);
        if (indicator == 0) {
            r.Bits = start;
            break;
        }
        if (indicator == 7) {
            const int first = in.Read(8);
            r.Eci = (first & 0x80) == 0   ? first
                    : (first & 0x40) == 0 ? (first & 0x3F) << 8 | in.Read(8)
                                          : (first & 0x1F) << 16 | in.Read(16);
            continue;
        }
        if (indicator == 3) {
            in.Read(16);
            continue;
        }
        const int mode = indicator == 1 ? 0 : indicator == 2 ? 1 : indicator == 4 ? 2 : 3;
        if (indicator != 1 && indicator != 2 && indicator != 4 && indicator != 8) {
            r.Error = "mode indicator " + std::to_string(indicator);
            return r;
        }
        const int count = in.Read(countBits[mode]);
        ++r.Segments;
        switch (mode) {
        case 0:
            for (int i = 0; i < count; i += 3) {
                const int digits = count - i >= 3 ? 3 : count - i;
                const int value = in.Read(digits == 3 ? 10 : digits == 2 ? 7 : 4);
                const std::string s = std::to_string(value);
                r.Bytes += std::string(static_cast<std::size_t>(digits) - s.size(), '0') + s;
            }
            break;
        case 1:
            for (int i = 0; i < count; i += 2) {
                if (count - i >= 2) {
                    const int value = in.Read(11);
                    r.Bytes += kAlnum[value / 45 % 45];
                    r.Bytes += kAlnum[value % 45];
                } else {
                    r.Bytes += kAlnum[in.Read(6) % 45];
                }
            }
            break;
        case 2:
            for (int i = 0; i < count; ++i)
                r.Bytes += static_cast<char>(in.Read(8));
            break;
        default:
            for (int i = 0; i < count; ++i) {
                const int value = in.Read(13);
                int code = (value / 0xC0) << 8 | value % 0xC0;
                code += code < 0x1F00 ? 0x8140 : 0xC140;
                r.Bytes += static_cast<char>(code >> 8);
                r.Bytes += static_cast<char>(code & 0xFF);
            }
            break;
        }
    }
    if (r.Bits < 0) r.Bits = in.Pos(); // full to the last bit, no terminator
    r.Ok = true;
    return r;
}

} // namespace bench
