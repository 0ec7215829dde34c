#include "platform/shift_jis.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

namespace {

using platform::ShiftJisToUtf16;
using platform::Utf16ToShiftJis;

// glibc's own CP932 table, an oracle that shares no code with ours.
class GlibcShiftJis {
public:
    GlibcShiftJis() : toUtf16_(iconv_open("UTF-16LE", "CP932")) {}
    ~GlibcShiftJis() { iconv_close(toUtf16_); }
    bool ok() const { return toUtf16_ != reinterpret_cast<iconv_t>(-1); }

    // The one UTF-16 unit glibc reads from `bytes`, or 0 when it reads none.
    char16_t Decode(std::string bytes) {
        char out[8];
        char* in = bytes.data();
        size_t inLeft = bytes.size();
        char* outPtr = out;
        size_t outLeft = sizeof out;
        const size_t result = iconv(toUtf16_, &in, &inLeft, &outPtr, &outLeft);
        iconv(toUtf16_, nullptr, nullptr, nullptr, nullptr);
        if (result == static_cast<size_t>(-1) || sizeof out - outLeft != 2) {
            return 0;
        }
        return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                     (static_cast<unsigned char>(out[1]) << 8));
    }

private:
    iconv_t toUtf16_;
};

// The lead-byte test agrees with the converter: a lead byte and "@" (a valid trail byte)
// decode as one character, any other byte and "@" as two.
TEST(ShiftJis, LeadBytesAgreeWithTheConverter) {
    for (int b = 0; b < 256; ++b) {
        const std::string bytes{static_cast<char>(b), '@'};
        const bool oneCharacter = ShiftJisToUtf16(bytes).size() == 1;
        EXPECT_EQ(platform::IsShiftJisLeadByte(static_cast<unsigned char>(b)), oneCharacter) << b;
    }
}

// Every byte below 0x80 is its ASCII character both ways, control codes included.
TEST(ShiftJis, SingleBytesBelow0x80AreAsciiBothWays) {
    std::string bytes;
    std::u16string units;
    for (int b = 0; b < 0x80; ++b) {
        bytes.push_back(static_cast<char>(b));
        units.push_back(static_cast<char16_t>(b));
    }
    EXPECT_EQ(ShiftJisToUtf16(bytes), units);
    EXPECT_EQ(Utf16ToShiftJis(units), bytes);
}

TEST(ShiftJis, KnownCharacters) {
    struct Row {
        const char* bytes;
        char16_t unit;
    };
    const Row rows[] = {
        {"\x82\xa0", u'あ'}, {"\x8a\xbf", u'漢'},     {"\xb1", u'ｱ'},
        {"\xdf", u'ﾟ'},      {"\x81\x60", u'～'}, // FULLWIDTH TILDE, not WAVE DASH
        {"\x81\x7c", u'－'},                      // FULLWIDTH HYPHEN-MINUS, not MINUS SIGN
        {"\x81\x5f", u'＼'}, {"\x81\x91", u'￠'},     {"\x81\xca", u'￢'},
        {"\x87\x40", u'①'}, // NEC special row
        {"\xfa\x40", u'ⅰ'}, // IBM extension
        {"\xfb\xfc", u'髙'}, {"\x81\x40", u'\u3000'}, {"\x5c", u'\\'},
        {"\x7e", u'~'},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ShiftJisToUtf16(row.bytes), std::u16string(1, row.unit)) << row.bytes;
        EXPECT_EQ(Utf16ToShiftJis(std::u16string(1, row.unit)), row.bytes) << row.bytes;
    }
}

// Every two-byte code decodes as glibc's CP932 does, and encoding what it decodes gives
// bytes that decode to the same character again (duplicated codes collapse onto one).
TEST(ShiftJis, EveryDoubleByteCodeAgreesWithGlibc) {
    GlibcShiftJis glibc;
    ASSERT_TRUE(glibc.ok());
    int assigned = 0;
    int duplicates = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!platform::IsShiftJisLeadByte(static_cast<unsigned char>(lead))) {
            continue;
        }
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const char16_t expected = glibc.Decode(bytes);
            const std::u16string decoded = ShiftJisToUtf16(bytes);
            ASSERT_EQ(decoded.size(), 1u);
            if (expected == 0) {
                EXPECT_EQ(decoded[0], u'\uFFFD') << std::hex << lead << trail;
                continue;
            }
            ++assigned;
            EXPECT_EQ(decoded[0], expected) << std::hex << lead << trail;
            std::vector<platform::TShiftJisUnmappable> unmappable;
            const std::string encoded = Utf16ToShiftJis(decoded, &unmappable);
            EXPECT_TRUE(unmappable.empty());
            EXPECT_EQ(ShiftJisToUtf16(encoded), decoded) << std::hex << lead << trail;
            duplicates += encoded != bytes;
        }
    }
    EXPECT_EQ(assigned, 9604);  // 7724 characters and 1880 user-defined codes
    EXPECT_EQ(duplicates, 398); // NEC/IBM codes that Windows writes in one place only
}

TEST(ShiftJis, IllFormedBytesDecodeToOneReplacementEach) {
    struct Row {
        std::string bytes;
        std::u16string expected;
    };
    const Row rows[] = {
        {"\x81", u"\uFFFD"},
        {"a\x81", u"a\uFFFD"},
        {"\x85\x40", u"\uFFFD"}, // unassigned pair
        {"\x80", u"\uFFFD"},
        {"\xa0"
         "A",
         u"\uFFFDA"},
        {"\xfd\xfe\xff", u"\uFFFD\uFFFD\uFFFD"},
        {"\x81\x20"
         "b",
         u"\uFFFD b"}, // bad trail byte: the space survives
        {std::string("\x81\x7f", 2), u"\uFFFD\x7f"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ShiftJisToUtf16(row.bytes), row.expected);
    }
}

// Characters outside the code page take the form Windows gives them.
TEST(ShiftJis, BestFitForms) {
    EXPECT_EQ(Utf16ToShiftJis(u"\u301C"), "\x81\x60"); // WAVE DASH, as typed on Linux
    EXPECT_EQ(Utf16ToShiftJis(u"\u00A5"), "\x5c");     // YEN SIGN
    EXPECT_EQ(Utf16ToShiftJis(u"\u2212"), "\x81\x7c"); // MINUS SIGN
    EXPECT_EQ(Utf16ToShiftJis(u"\u2014"), "\x81\x5c"); // EM DASH
}

TEST(ShiftJis, UnmappableCharactersBecomeQuestionMarksAndAreReported) {
    std::vector<platform::TShiftJisUnmappable> unmappable;
    // a, an emoji (a surrogate pair), b, e-acute, a lone high surrogate, kanji
    const std::u16string text = u"a\U0001F600b\u00E9\xD800漢";
    EXPECT_EQ(Utf16ToShiftJis(text, &unmappable), "a?b??\x8a\xbf");
    ASSERT_EQ(unmappable.size(), 3u);
    EXPECT_EQ(unmappable[0].Character, U'\U0001F600');
    EXPECT_EQ(unmappable[0].Position, 2);
    EXPECT_EQ(unmappable[1].Character, U'\u00E9');
    EXPECT_EQ(unmappable[1].Position, 4);
    EXPECT_EQ(unmappable[2].Character, char32_t{0xD800});
    EXPECT_EQ(unmappable[2].Position, 5);
}

TEST(ShiftJis, QStringBoundary) {
    const QString text = QString::fromUtf8("ｶﾞ漢字 ~");
    EXPECT_EQ(platform::QStringToShiftJis(text), "\xb6\xde\x8a\xbf\x8e\x9a ~");
    EXPECT_EQ(platform::ShiftJisToQString("\xb6\xde\x8a\xbf\x8e\x9a ~"), text);
    EXPECT_EQ(platform::QStringToShiftJis(QString()), "");
}

TEST(ShiftJis, CodecOneCharacterAtATime) {
    platform::ShiftJisCodec codec;
    char16_t ch = 0;
    EXPECT_TRUE(codec.DecodeChar("\x82\xaa", ch));
    EXPECT_EQ(ch, u'が');
    EXPECT_TRUE(codec.DecodeChar("\x1a", ch));
    EXPECT_EQ(ch, u'\x1a');
    EXPECT_FALSE(codec.DecodeChar("\x85\x40", ch));
    EXPECT_FALSE(codec.DecodeChar("\x81", ch));
    EXPECT_FALSE(codec.DecodeChar("ab", ch));
    EXPECT_FALSE(codec.DecodeChar("", ch));
    // The failed reads above leave the converter fit for the next one.
    EXPECT_TRUE(codec.DecodeChar("\x83\x4b", ch));
    EXPECT_EQ(ch, u'ガ');

    std::string out;
    EXPECT_TRUE(codec.EncodeChar(u'ヰ', out));
    EXPECT_TRUE(codec.EncodeChar(u'\x7f', out));
    EXPECT_FALSE(codec.EncodeChar(u'\u00E9', out));
    EXPECT_FALSE(codec.EncodeChar(u'\xD800', out));
    EXPECT_TRUE(codec.EncodeChar(u'\u00A5', out));
    EXPECT_EQ(out, "\x83\x90\x7f\x5c");
}

} // namespace
