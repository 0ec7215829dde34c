// libqrencode as an independent encoder to hold our symbols against, module by module.
// Only its fixed-mask build is used: the automatic mask choice is ours by design.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace test_support {

struct TPeerSymbol {
    bool Ok = false;
    std::string Error; // why libqrencode built nothing
    int Version = 0;   // the version it chose (it enlarges a symbol that does not fit)
    int Modules = 0;
    std::vector<std::uint8_t> Dark; // Modules x Modules, row by row, 1 for dark
    bool IsDark(int row, int column) const {
        return Dark[static_cast<std::size_t>(row * Modules + column)] != 0;
    }
};

// One segment of `bytes` in mode 0 numeric, 1 alphanumeric, 2 8-bit or 3 Kanji (which
// are also libqrencode's numbers), no segment for empty bytes, in `version` (1..40) at
// level 0 L .. 3 H with mask 0..7.
TPeerSymbol QrencodeFixedMask(std::span<const std::uint8_t> bytes, int mode, int version, int level,
                              int mask);

} // namespace test_support
