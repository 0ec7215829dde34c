#include "platform/kana_mapping.h"

#include <gtest/gtest.h>

namespace {

using platform::FullWidthToHalfWidth;
using platform::HiraganaToKatakana;

TEST(KanaMapping, HiraganaToKatakana) {
    struct Row {
        std::u16string in;
        std::u16string out;
    };
    const Row rows[] = {
        {u"ぁあがぱゐゑをんゔゕゖ", u"ァアガパヰヱヲンヴヵヶ"},
        {u"ゝゞ", u"ヽヾ"}, // iteration marks follow their letters
        // Katakana, kanji, sound marks, the prolonged sound mark, full-width and
        // half-width forms are not hiragana.
        {u"カナ漢字゛゜ーＡ１　ｱﾞ", u"カナ漢字゛゜ーＡ１　ｱﾞ"},
        {u"", u""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(HiraganaToKatakana(row.in), row.out);
    }
}

TEST(KanaMapping, FullWidthToHalfWidth) {
    struct Row {
        std::u16string in;
        std::u16string out;
    };
    const Row rows[] = {
        // Every plain katakana letter that half-width katakana has.
        {u"ァアィイゥウェエォオカキクケコサシスセソタチッツテトナニヌネノハヒフヘホ"
         u"マミムメモャヤュユョヨラリルレロワヲン",
         u"ｧｱｨｲｩｳｪｴｫｵｶｷｸｹｺｻｼｽｾｿﾀﾁｯﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓｬﾔｭﾕｮﾖﾗﾘﾙﾚﾛﾜｦﾝ"},
        // Voiced and semi-voiced letters split into the letter and its mark.
        {u"ガギグゲゴザジズゼゾダヂヅデドバビブベボヴ",
         u"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞｳﾞ"},
        {u"パピプペポ", u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"},
        // Prolonged sound mark, punctuation, the lone sound marks, ideographic space.
        {u"ー。「」、・゛゜　", u"ｰ｡｢｣､･ﾞﾟ "},
        {u"ＡＺａｚ０９！＃＄％＆（）＝～＼｛｝＿－＋＠＂＇", u"AZaz09!#$%&()=~\\{}_-+@\"'"},
        {u"￥", u"\u00A5"},
        // No half-width form: stay as they are.
        {u"ヮヰヱヵヶヽヾ", u"ヮヰヱヵヶヽヾ"},
        {u"漢字ひらがな〒※", u"漢字ひらがな〒※"},
        {u"￠￡￢￣￤", u"￠￡￢￣￤"},
        // Already half-width, or plain ASCII.
        {u"ｶﾞA1 ~", u"ｶﾞA1 ~"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FullWidthToHalfWidth(row.in), row.out);
    }
}

TEST(KanaMapping, ReadingInHiraganaBecomesHalfWidthKatakana) {
    EXPECT_EQ(FullWidthToHalfWidth(HiraganaToKatakana(u"やまだ　たろう")), u"ﾔﾏﾀﾞ ﾀﾛｳ");
}

} // namespace
