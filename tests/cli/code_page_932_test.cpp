// varoku-qr converts text to Shift-JIS with a table of its own, without Qt or ICU: it
// must give the window's converter's bytes and refusals for every character and for
// any bytes at all.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cli/input.h"

namespace {

// Any value as UTF-8 would spell it, surrogates too (which the decoders must refuse).
std::string Utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | c >> 6);
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | c >> 12);
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | c >> 18);
        s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// Empty when both conversions agree, else what differs.
std::string Difference(const std::string& text) {
    const auto ours = cli::Utf8ToShiftJis(text);
    const auto icu = cli::ConvertUtf8ToShiftJis(text);
    if (ours.Exit == icu.Exit && ours.Error == icu.Error && ours.Bytes == icu.Bytes) return {};
    return "ours: " + std::to_string(ours.Exit) + " '" + ours.Error + "' " +
           std::to_string(ours.Bytes.size()) + " bytes; ICU: " + std::to_string(icu.Exit) + " '" +
           icu.Error + "' " + std::to_string(icu.Bytes.size()) + " bytes";
}

TEST(CodePage932, EveryCharacterAsTheWindowConvertsIt) {
    int mapped = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        // Alone (plain ASCII takes its own path), and between two characters so that
        // a refusal names position 2.
        const std::string one = Utf8Of(c);
        for (const std::string& text : {one, "\xE3\x81\x82" + one + "A"}) {
            const std::string diff = Difference(text);
            ASSERT_TRUE(diff.empty())
                << "U+" << std::hex << static_cast<unsigned>(c) << ": " << diff;
        }
        mapped += cli::Utf8ToShiftJis(one).Ok();
    }
    // ASCII and code page 932's characters, best-fit forms included: a table that lost
    // its forms would agree with nothing, not with everything.
    EXPECT_GT(mapped, 9000);
}

TEST(CodePage932, AnyBytesAsTheWindowConvertsThem) {
    const std::string rows[] = {
        "\xC3(",
        "\xE3\x81",
        "\xC0\xAF",
        "\xED\xA0\x80x",
        "\xF4\x90\x80\x80",
        "\xEF\xBB\xBF\xF0\xA0\xAE\xB7",
        "\xEF\xBB\xBF\xC3(",
        "\xEF\xBB\xBF",
        "\xEF\xBB\xBF\xE3\x81\x82",
        "a\r\n\x1A\x7F\xC2\xA5\xE3\x80\x9C",
    };
    for (const std::string& row : rows)
        EXPECT_EQ(Difference(row), "") << row;
    // Random texts of UTF-8 pieces and stray bytes, from a fixed seed.
    std::mt19937 random(932);
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        const int pieces = static_cast<int>(random() % 12);
        for (int k = 0; k < pieces; ++k) {
            if (random() % 8 == 0) {
                text += static_cast<char>(random() % 256);
            } else {
                const char32_t c = random() % 4 == 0 ? random() % 0x110000 : random() % 0x10000;
                text += Utf8Of(c);
            }
        }
        ASSERT_EQ(Difference(text), "") << n;
    }
}

} // namespace
