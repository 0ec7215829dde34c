// Shared helpers of the engine tests: byte-string makers, deterministic random inputs and
// reading a finished symbol back with the real readers.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <string>

#include "qr/engine/symbol_engine.h"
#include "tests/support/zbar_reader.h"
#include "tests/support/zxing_reader.h"

namespace engine_test {

inline std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

inline std::string AsString(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

inline std::span<const std::uint8_t> AsBytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Reads bits most significant first, as the encoder wrote them.
class TBitReader {
public:
    explicit TBitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    int Read(int n) {
        int v = 0;
        for (int i = 0; i < n; ++i, ++pos_)
            v = (v << 1) | ((bytes_[pos_ / 8] >> (7 - pos_ % 8)) & 1);
        return v;
    }
    int Position() const { return pos_; }

private:
    std::span<const std::uint8_t> bytes_;
    int pos_ = 0;
};

class TInputMaker {
public:
    explicit TInputMaker(std::uint32_t seed) : rng_(seed) {}

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    std::string Digits(int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s.push_back(static_cast<char>('0' + Uniform(0, 9)));
        return s;
    }
    std::string Alnum(int n) {
        static const char set[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
        std::string s;
        for (int i = 0; i < n; ++i)
            s.push_back(set[Uniform(0, 44)]);
        return s;
    }
    std::string Binary(int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s.push_back(static_cast<char>(Uniform(0, 255)));
        return s;
    }
    // n two-byte characters of the QR Kanji range.
    std::string Kanji(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) {
            int lead = Uniform(0, 42);
            lead = lead < 31 ? 0x81 + lead : 0xE0 + (lead - 31); // 0x81-0x9F, 0xE0-0xEB
            int trail = 0;
            do
                trail = Uniform(0x40, lead == 0xEB ? 0xBF : 0xFC);
            while (trail == 0x7F);
            s.push_back(static_cast<char>(lead));
            s.push_back(static_cast<char>(trail));
        }
        return s;
    }
    // Runs of every class: digits, capitals, lower-case text, Kanji, half-width katakana
    // and arbitrary bytes, cut to n bytes.
    std::string Mixed(int n) {
        std::string s;
        while (static_cast<int>(s.size()) < n) {
            const int run = Uniform(1, 14);
            switch (Uniform(0, 5)) {
            case 0:
                s += Digits(run);
                break;
            case 1:
                s += Alnum(run);
                break;
            case 2:
                for (int i = 0; i < run; ++i)
                    s.push_back(static_cast<char>(Uniform('a', 'z')));
                break;
            case 3:
                s += Kanji(run);
                break;
            case 4:
                for (int i = 0; i < run; ++i)
                    s.push_back(static_cast<char>(Uniform(0xA1, 0xDF)));
                break;
            default:
                s += Binary(run);
                break;
            }
        }
        s.resize(static_cast<std::size_t>(n));
        return s;
    }

private:
    std::mt19937 rng_;
};

// The finished symbol of the engine read by zxing-cpp as a pure picture (zxing-cpp
// 1.4 does not always locate a version 40 symbol at 2 pixels per module otherwise;
// zbar exercises locating).
inline test_support::TZxingResult ReadZxing(const qr::engine::TQRSymbolEngine& e) {
    return test_support::ZxingReadModules(
        e.Modules(), [&](int r, int c) { return e.IsDark(r, c); }, 4, 2, true);
}

// The finished symbol read by zbar.
inline std::optional<std::string> ReadZbar(const qr::engine::TQRSymbolEngine& e) {
    return test_support::ZbarReadModules(
        e.Modules(), [&](int r, int c) { return e.IsDark(r, c); }, 4, 2);
}

} // namespace engine_test
