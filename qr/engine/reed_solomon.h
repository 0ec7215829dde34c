// Reed-Solomon error correction over GF(256) (polynomial 0x11D) and the interleaving of
// data and error-correction blocks into the final codeword sequence.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "qr/engine/symbol_tables.h"

namespace qr::engine {

// Antilog (Exp[i] = alpha^i, Exp[255] = 1) and log tables of GF(256).
struct TGaloisField {
    std::array<std::uint8_t, 256> Exp{};
    std::array<std::uint8_t, 256> Log{}; // Log[0] is unused
};

// The field of x^8 + x^4 + x^3 + x^2 + 1 with alpha = 2.
inline constexpr TGaloisField GaloisField = [] {
    TGaloisField f{};
    int x = 1;
    for (int i = 0; i < 255; ++i) {
        f.Exp[i] = static_cast<std::uint8_t>(x);
        f.Log[x] = static_cast<std::uint8_t>(i);
        x <<= 1;
        if (x & 0x100) x ^= 0x11D;
    }
    f.Exp[255] = 1;
    return f;
}();

// Highest degree of the standard's generator polynomials; blocks use at most 30.
inline constexpr int kMaxGeneratorDegree = 68;

// Generator polynomials (x - a^0)...(x - a^(n-1)) in exponent form, row n holding the
// logarithms of the coefficients of x^(n-1) .. x^0 (the leading 1 is implied). Rows
// exist for the degrees of the standard's annex; other rows stay zero.
using TGeneratorTable =
    std::array<std::array<std::uint8_t, kMaxGeneratorDegree>, kMaxGeneratorDegree + 1>;

// Degrees 7, 10, 13, 15..18, 20, 22, ..., 68 of the standard's annex.
constexpr bool IsGeneratorDegree(int n) {
    return n == 7 || n == 10 || n == 13 || n == 15 || n == 16 || n == 17 || n == 18 || n == 20 ||
           n == 22 || n == 24 || n == 26 || n == 28 || n == 30 ||
           (n >= 32 && n <= kMaxGeneratorDegree && n % 2 == 0);
}

// The generator table, computed at compile time.
inline constexpr TGeneratorTable Generators = [] {
    TGeneratorTable t{};
    // One running product, coef[i] the coefficient of x^i, multiplied by (x + a^r) for
    // r = 0, 1, ...; a row is taken whenever the degree reached is one of the table's.
    int coef[kMaxGeneratorDegree + 1] = {1};
    for (int r = 0; r < kMaxGeneratorDegree; ++r) {
        const int logRoot = r;
        for (int i = r + 1; i >= 0; --i) {
            int product = 0;
            if (i <= r && coef[i] != 0)
                product = GaloisField.Exp[(GaloisField.Log[coef[i]] + logRoot) % 255];
            coef[i] = (i > 0 ? coef[i - 1] : 0) ^ product;
        }
        const int n = r + 1;
        if (IsGeneratorDegree(n))
            for (int j = 0; j < n; ++j)
                t[n][j] = GaloisField.Log[coef[n - 1 - j]];
    }
    return t;
}();

// Fills ec with the error-correction codewords of every block of the level, block after
// block, from the level's data codewords in data.
void MakeErrorCorrection(const TQRLevelInfo& level, std::span<const std::uint8_t> data,
                         std::span<std::uint8_t> ec);

// Interleaves the data and error-correction blocks into out (TotalCodewords bytes) and
// returns the number of codewords written.
int InterleaveCodewords(const TQRLevelInfo& level, std::span<const std::uint8_t> data,
                        std::span<const std::uint8_t> ec, std::span<std::uint8_t> out);

} // namespace qr::engine
