#include "composer/shift_jis_text.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "composer_test_util.h"

namespace {

using composer_test::ShiftJis;
using namespace std::string_literals;

TEST(ShiftJisText, CountMbChars) {
    struct Row {
        std::string text;
        int count;
    };
    const Row rows[] = {
        {"", 0},
        {"abc", 3},
        {ShiftJis("漢字列"), 3},
        {"a\r\nb", 4},
        {"\x81", 1},         // a lead byte that ends the text
        {"\xb1\xb2\xdf", 3}, // half-width katakana are single bytes
        {ShiftJis("aあ１ｱ"), 4},
        {"\x81"
         "a"
         "b",
         2}, // whatever follows a lead byte belongs to it
        {std::string(3000, 'x') + ShiftJis("漢") + std::string(999, 'y'), 4000},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::CountMbChars(row.text), row.count) << row.text;
    }
}

TEST(ShiftJisText, CopyMbChars) {
    const std::string twentyKanji = ShiftJis("一二三四五六七八九十壱弐参肆伍陸漆捌玖拾");
    struct Row {
        std::string text;
        int start;
        int count;
        std::string expected;
    };
    const Row rows[] = {
        {ShiftJis("あいうえ"), 1, 10, ShiftJis("あいうえ")},
        {twentyKanji, 1, 10, twentyKanji.substr(0, 20)},
        {ShiftJis("aあいう"), 1, 2, ShiftJis("aあ")}, // never half a character
        {ShiftJis("aあいう"), 3, 5, ShiftJis("いう")},
        {"a\r\nbc", 1, 2, "a\r"}, // CR LF is two characters
        {"abc", 4, 1, ""},
        {"", 1, 10, ""},
        {"abc", 0, 2, ""},
        {"abc", 1, 0, ""},
        {"ab\x81", 3, 1, "\x81"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::CopyMbChars(row.text, row.start, row.count), row.expected)
            << row.text << " " << row.start << " " << row.count;
    }
}

TEST(ShiftJisText, HasDoubleByteChar) {
    struct Row {
        std::string text;
        bool expected;
    };
    const Row rows[] = {
        {"", false},
        {"0120-123-456", false},
        {"\xb1\xb2\xde", false}, // half-width katakana
        {ShiftJis("１"), true},
        {ShiftJis("　"), true},
        {ShiftJis("山"), true},
        {"abc" + ShiftJis("ー"), true},
        {"\x81", false}, // a lone lead byte is one unreadable character
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::HasDoubleByteChar(row.text), row.expected) << row.text;
    }
}

TEST(ShiftJisText, KanaNormalisationOfReadings) {
    struct Row {
        std::string reading;
        std::string expected; // ToHalfWidth(ToKatakana(reading))
    };
    const Row rows[] = {
        {"\x82\xaa", "\xb6\xde"},             // が -> ｶ ﾞ, two characters
        {"\x82\xcf\x82\xdc", "\xca\xdf\xcf"}, // ぱま -> ﾊ ﾟ ﾏ
        {ShiftJis("やまだ　たろう"), "\xd4\xcf\xc0\xde\x20\xc0\xdb\xb3"},
        {ShiftJis("ヴァイオリン"), "\xb3\xde\xa7\xb2\xb5\xd8\xdd"},
        {ShiftJis("ゐゑヰヱヵヶ"), ShiftJis("ヰヱヰヱヵヶ")}, // no half-width form
        {ShiftJis("山田"), ShiftJis("山田")},
        {ShiftJis("ＡＢｃ１２－～￥"), "ABc12-~\\"},
        {"\xb6\xde"
         "abc",
         "\xb6\xde"
         "abc"},
        // Bytes that are no character stay exactly as they were.
        {"\x85\x40"
         "\x82\xa0"
         "\x81",
         "\x85\x40"
         "\xb1"
         "\x81"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::ToHalfWidth(composer::ToKatakana(row.reading)), row.expected)
            << row.reading;
    }
    EXPECT_EQ(composer::ToKatakana(ShiftJis("がぱ漢ＡＢ")), ShiftJis("ガパ漢ＡＢ"));
    EXPECT_EQ(composer::ToHalfWidth(ShiftJis("がガ")), ShiftJis("が") + "\xb6\xde");
}

TEST(ShiftJisText, IsMailAddress) {
    EXPECT_TRUE(composer::IsMailAddress("taro@example.jp"));
    EXPECT_TRUE(composer::IsMailAddress("a.b@c")); // order is not examined
    EXPECT_FALSE(composer::IsMailAddress("taro@example"));
    EXPECT_FALSE(composer::IsMailAddress("example.jp"));
    EXPECT_FALSE(composer::IsMailAddress(""));
}

TEST(ShiftJisText, ReplaceAllText) {
    const std::string name = ShiftJis("山田");
    struct Row {
        std::string text;
        std::string pattern;
        std::string replacement;
        std::string expected;
    };
    const Row rows[] = {
        {ShiftJis("<User>様、<User>さん"), "<User>", name, ShiftJis("山田様、山田さん")},
        // A replacement holding the pattern is inserted once per occurrence.
        {"<User>,<User>", "<User>", "<User>!", "<User>!,<User>!"},
        {"abc", "", "x", "abc"},
        {"", "a", "x", ""},
        {"aaa", "aa", "b", "ba"},
        // A lead byte takes the byte after it, here "<": that "<" starts no match,
        // the tag right after it does.
        {"\x81<User><User>", "<User>", "N", "\x81<User>N"},
        // ソ is 0x83 0x5C: its second byte is no "\".
        {"\x83\x5c\\x", "\\", "Y", "\x83\x5cYx"},
        // Ａ is 0x82 0x60 and ａ 0x82 0x81: no match across the characters' bytes.
        {"\x82\x60\x82\x81`", "`", "-", "\x82\x60\x82\x81-"},
        {ShiftJis("あ<User>"), "<User>", name, ShiftJis("あ山田")},
        {ShiftJis("漢字と漢字"), ShiftJis("漢字"), "K", ShiftJis("KとK")},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::ReplaceAllText(row.text, row.pattern, row.replacement), row.expected)
            << row.text;
    }
}

TEST(ShiftJisText, IsNumericText) {
    for (const char* text : {"2", "  2", "-2", "+2", "2.0", "2.5E3", "2e-3", "2E+10", "007"}) {
        EXPECT_TRUE(composer::IsNumericText(text)) << text;
    }
    for (const char* text : {"", "   ", "-", "+", "2.", ".5", "2 ", "2.0.1", "1,000", "E3", "2E",
                             "2e+", "0x1F", "\t2", "--2", "2.e3", "2.0a", "2a"}) {
        EXPECT_FALSE(composer::IsNumericText(text)) << text;
    }
}

TEST(ShiftJisText, EditorBoundary) {
    struct Row {
        QString editor;
        std::string sjis;
    };
    const Row rows[] = {
        {QString::fromUtf8("あ\nb"), ShiftJis("あ") + "\r\nb"},
        {"a\nb\n", "a\r\nb\r\n"}, // the empty last line stays a line
        {"a\r\nb\rc", "a\r\nb\r\nc"},
        {QString("a") + QChar::ParagraphSeparator + "b" + QChar::LineSeparator + "c",
         "a\r\nb\r\nc"},
        {"", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::EditorTextToShiftJis(row.editor), row.sjis);
    }
    EXPECT_EQ(composer::ShiftJisToEditorText("a\r\nb\rc\nd"), "a\nb\nc\nd");
    EXPECT_EQ(composer::ShiftJisToEditorText(ShiftJis("～ｱ")), QString::fromUtf8("～ｱ"));

    std::vector<platform::TShiftJisUnmappable> unmappable;
    EXPECT_EQ(composer::EditorTextToShiftJis(QString::fromUtf8("x\né"), &unmappable), "x\r\n?");
    ASSERT_EQ(unmappable.size(), 1u);
    EXPECT_EQ(unmappable[0].Position, 3); // the editor's own count: x, break, é
}

TEST(ShiftJisText, SplitLines) {
    struct Row {
        std::string text;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\r\n", {""}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"a\n\rb", {"a", "", "b"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::SplitLines(row.text), row.lines) << row.text;
    }
}

} // namespace
