#include "qr/engine/masking.h"

namespace qr::engine {

static_assert(FormatWord(1, 0) == 0x5412 && FormatWord(0, 0) == 0x77C4 &&
              FormatWord(3, 7) == 0x083B);
static_assert(VersionWords[6] == -1 && VersionWords[7] == 0x07C94 && VersionWords[40] == 0x28C69);

// MaskRowBits and MaskColumnBits hold one period of each mask.
consteval bool RepeatsEvery12() {
    for (int mask = 0; mask < 8; ++mask)
        for (int i = 0; i < 24; ++i)
            for (int j = 0; j < 24; ++j)
                if (MaskCondition(mask, i, j) != MaskCondition(mask, i + 12, j) ||
                    MaskCondition(mask, i, j) != MaskCondition(mask, i, j + 12))
                    return false;
    return true;
}
static_assert(RepeatsEvery12());

// Eight cells at a time: the mask's bits for the row come from its precomputed lines.
void ApplyMask(TQRMatrix& m, int n, int mask) {
    constexpr std::uint64_t low = 0x0101010101010101;
    for (int i = 0; i < n; ++i) {
        const TPlaneLine& invert = MaskRowBits[mask][i % 12];
        std::uint8_t* row = m.data() + static_cast<std::ptrdiff_t>(i) * kMatrixStride;
        for (int j = 0; j < n; j += 8) {
            const int count = n - j < 8 ? n - j : 8;
            const std::uint64_t x = LoadCells(row + j, count);
            const std::uint64_t function = ((x >> 2) & low) * 0xFF;
            const std::uint64_t dark = ((x & low) ^ SpreadBits((invert[j / 64] >> (j % 64)) & 0xFF))
                                       << 1;
            const std::uint64_t data = (x & ~(low << 1)) | dark;
            StoreCells(row + j, (x & function) | (data & ~function), count);
        }
    }
}

void PutFormatInformation(TQRMatrix& m, const TQRVersionInfo& version, int eclevel, int mask) {
    const int n = version.Modules;
    const int format = FormatWord(eclevel, mask);
    for (int k = 0; k < 15; ++k) {
        if (!((format >> k) & 1)) continue;
        Cell(m, Resolve(FormatListA[k].Row, n), Resolve(FormatListA[k].Column, n)) |= kDarkBit;
        Cell(m, Resolve(FormatListB[k].Row, n), Resolve(FormatListB[k].Column, n)) |= kDarkBit;
    }
    Cell(m, Resolve(DarkModuleCell.Row, n), Resolve(DarkModuleCell.Column, n)) |= kDarkBit;

    const int word = VersionWords[version.VersionNo];
    if (word == -1) return;
    for (int k = 0; k < 18; ++k) {
        if (!((word >> k) & 1)) continue;
        const TCellRef a = VersionCellA(k, n);
        const TCellRef b = VersionCellB(k, n);
        Cell(m, a.Row, a.Column) |= kDarkBit;
        Cell(m, b.Row, b.Column) |= kDarkBit;
    }
}

} // namespace qr::engine
