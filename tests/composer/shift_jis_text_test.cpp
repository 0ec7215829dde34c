#include "composer/shift_jis_text.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "composer_test_util.h"

namespace {

using composer_test::Sjis;
using namespace std::string_literals;

TEST(SjisText, CountMbChars)
{
    struct Row {
        std::string text;
        int count;
    };
    const Row rows[] = {
        {"", 0},
        {"abc", 3},
        {Sjis("漢字列"), 3},
        {"a\r\nb", 4},
        {"\x81", 1},                  // a lead byte that ends the text
        {"\xb1\xb2\xdf", 3},          // half-width katakana are single bytes
        {Sjis("aあ１ｱ"), 4},
        {"\x81" "a" "b", 2},          // whatever follows a lead byte belongs to it
        {std::string(3000, 'x') + Sjis("漢") + std::string(999, 'y'), 4000},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::CountMbChars(row.text), row.count) << row.text;
    }
}

TEST(SjisText, CopyMbChars)
{
    const std::string twentyKanji = Sjis("一二三四五六七八九十壱弐参肆伍陸漆捌玖拾");
    struct Row {
        std::string text;
        int start;
        int count;
        std::string expected;
    };
    const Row rows[] = {
        {Sjis("あいうえ"), 1, 10, Sjis("あいうえ")},
        {twentyKanji, 1, 10, twentyKanji.substr(0, 20)},
        {Sjis("aあいう"), 1, 2, Sjis("aあ")},          // never half a character
        {Sjis("aあいう"), 3, 5, Sjis("いう")},
        {"a\r\nbc", 1, 2, "a\r"},                      // CR LF is two characters
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

TEST(SjisText, HasDoubleByteChar)
{
    struct Row {
        std::string text;
        bool expected;
    };
    const Row rows[] = {
        {"", false},
        {"0120-123-456", false},
        {"\xb1\xb2\xde", false},  // half-width katakana
        {Sjis("１"), true},
        {Sjis("　"), true},
        {Sjis("山"), true},
        {"abc" + Sjis("ー"), true},
        {"\x81", false},          // a lone lead byte is one unreadable character
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::HasDoubleByteChar(row.text), row.expected) << row.text;
    }
}

TEST(SjisText, KanaNormalisationOfReadings)
{
    struct Row {
        std::string reading;
        std::string expected;  // ToHalfWidth(ToKatakana(reading))
    };
    const Row rows[] = {
        {"\x82\xaa", "\xb6\xde"},                 // が -> ｶ ﾞ, two characters
        {"\x82\xcf\x82\xdc", "\xca\xdf\xcf"},     // ぱま -> ﾊ ﾟ ﾏ
        {Sjis("やまだ　たろう"), "\xd4\xcf\xc0\xde\x20\xc0\xdb\xb3"},
        {Sjis("ヴァイオリン"), "\xb3\xde\xa7\xb2\xb5\xd8\xdd"},
        {Sjis("ゐゑヰヱヵヶ"), Sjis("ヰヱヰヱヵヶ")},  // no half-width form
        {Sjis("山田"), Sjis("山田")},
        {Sjis("ＡＢｃ１２－～￥"), "ABc12-~\\"},
        {"\xb6\xde" "abc", "\xb6\xde" "abc"},
        // Bytes that are no character stay exactly as they were.
        {"\x85\x40" "\x82\xa0" "\x81", "\x85\x40" "\xb1" "\x81"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::ToHalfWidth(composer::ToKatakana(row.reading)), row.expected) << row.reading;
        EXPECT_EQ(composer::CountMbChars(composer::ToHalfWidth(composer::ToKatakana(row.reading))),
                  composer::CountMbChars(row.expected));
    }
    EXPECT_EQ(composer::ToKatakana(Sjis("がぱ漢ＡＢ")), Sjis("ガパ漢ＡＢ"));
    EXPECT_EQ(composer::ToHalfWidth(Sjis("がガ")), Sjis("が") + "\xb6\xde");
}

TEST(SjisText, IsMailAddress)
{
    EXPECT_TRUE(composer::IsMailAddress("taro@example.jp"));
    EXPECT_TRUE(composer::IsMailAddress("a.b@c"));  // order is not examined
    EXPECT_FALSE(composer::IsMailAddress("taro@example"));
    EXPECT_FALSE(composer::IsMailAddress("example.jp"));
    EXPECT_FALSE(composer::IsMailAddress(""));
}

TEST(SjisText, ReplaceAllText)
{
    const std::string name = Sjis("山田");
    struct Row {
        std::string text;
        std::string pattern;
        std::string replacement;
        std::string expected;
    };
    const Row rows[] = {
        {Sjis("<User>様、<User>さん"), "<User>", name, Sjis("山田様、山田さん")},
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
        {Sjis("あ<User>"), "<User>", name, Sjis("あ山田")},
        {Sjis("漢字と漢字"), Sjis("漢字"), "K", Sjis("KとK")},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::ReplaceAllText(row.text, row.pattern, row.replacement), row.expected)
            << row.text;
    }
}

TEST(SjisText, IsNumericText)
{
    for (const char* text : {"2", "  2", "-2", "+2", "2.0", "2.5E3", "2e-3", "2E+10", "007"}) {
        EXPECT_TRUE(composer::IsNumericText(text)) << text;
    }
    for (const char* text : {"", "   ", "-", "+", "2.", ".5", "2 ", "2.0.1", "1,000", "E3",
                             "2E", "2e+", "0x1F", "\t2", "--2", "2.e3", "2.0a", "2a"}) {
        EXPECT_FALSE(composer::IsNumericText(text)) << text;
    }
}

TEST(SjisText, FileSizeOf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto make = [&](const QString& name, int size) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(std::string(static_cast<size_t>(size), 'x').c_str(), size);
    };
    make("empty.txt", 0);
    make("MailDoc2.txt", 9);
    make("MailDoc1.txt", 7);
    make("[1].txt", 3);
    make(".hidden", 5);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));

    EXPECT_EQ(composer::FileSizeOf(dir.filePath("missing.txt")), -1);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("empty.txt")), 0);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("MailDoc2.txt")), 9);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("MailDoc?.txt")), 7);  // first by name
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("*2.txt")), 9);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("[1].txt")), 3);       // "[" is no wildcard
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("[1]?txt")), 3);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath(".hid*")), 5);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("folder.txt")), 0);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("*.none")), -1);
    EXPECT_EQ(composer::FileSizeOf(""), -1);
    {
        composer_test::ScopedCurrentDir here(dir.path());
        EXPECT_EQ(composer::FileSizeOf("MailDoc2.txt"), 9);
    }
    EXPECT_EQ(composer::FileSizeOf("MailDoc2.txt"), -1);
}

TEST(SjisText, EditorBoundary)
{
    struct Row {
        QString editor;
        std::string sjis;
    };
    const Row rows[] = {
        {QString::fromUtf8("あ\nb"), Sjis("あ") + "\r\nb"},
        {"a\nb\n", "a\r\nb\r\n"},          // the empty last line stays a line
        {"a\r\nb\rc", "a\r\nb\r\nc"},
        {QString("a") + QChar::ParagraphSeparator + "b" + QChar::LineSeparator + "c",
         "a\r\nb\r\nc"},
        {"", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(composer::EditorTextToSjis(row.editor), row.sjis);
    }
    EXPECT_EQ(composer::SjisToEditorText("a\r\nb\rc\nd"), "a\nb\nc\nd");
    EXPECT_EQ(composer::SjisToEditorText(Sjis("～ｱ")), QString::fromUtf8("～ｱ"));

    std::vector<platform::Cp932Unmappable> unmappable;
    EXPECT_EQ(composer::EditorTextToSjis(QString::fromUtf8("x\né"), &unmappable), "x\r\n?");
    ASSERT_EQ(unmappable.size(), 1u);
    EXPECT_EQ(unmappable[0].position, 3);  // the editor's own count: x, break, é
}

TEST(SjisText, SplitAndJoinLines)
{
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
    EXPECT_EQ(composer::JoinLines({"a", "", "b"}), "a\r\n\r\nb");
    EXPECT_EQ(composer::JoinLines({}), "");
}

}  // namespace
