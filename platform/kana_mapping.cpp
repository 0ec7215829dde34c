#include "platform/kana_mapping.h"

#include <array>

namespace platform {
namespace {

constexpr char16_t kVoiced = 0xFF9E;     // ﾞ
constexpr char16_t kSemiVoiced = 0xFF9F; // ﾟ

// Half-width form of each full-width katakana from U+30A1 (ァ) to U+30F6 (ヶ): the
// base letter and the sound mark that follows it, or 0 where half-width katakana
// has no such letter.
struct HalfKana {
    char16_t base;
    char16_t mark;
};

constexpr std::array<HalfKana, 0x30F6 - 0x30A1 + 1> kHalfKatakana = {{
    {0xFF67, 0},
    {0xFF71, 0},
    {0xFF68, 0},
    {0xFF72, 0},
    {0xFF69, 0}, // ァアィイゥ
    {0xFF73, 0},
    {0xFF6A, 0},
    {0xFF74, 0},
    {0xFF6B, 0},
    {0xFF75, 0}, // ウェエォオ
    {0xFF76, 0},
    {0xFF76, kVoiced},
    {0xFF77, 0},
    {0xFF77, kVoiced}, // カガキギ
    {0xFF78, 0},
    {0xFF78, kVoiced},
    {0xFF79, 0},
    {0xFF79, kVoiced}, // クグケゲ
    {0xFF7A, 0},
    {0xFF7A, kVoiced}, // コゴ
    {0xFF7B, 0},
    {0xFF7B, kVoiced},
    {0xFF7C, 0},
    {0xFF7C, kVoiced}, // サザシジ
    {0xFF7D, 0},
    {0xFF7D, kVoiced},
    {0xFF7E, 0},
    {0xFF7E, kVoiced}, // スズセゼ
    {0xFF7F, 0},
    {0xFF7F, kVoiced}, // ソゾ
    {0xFF80, 0},
    {0xFF80, kVoiced},
    {0xFF81, 0},
    {0xFF81, kVoiced}, // タダチヂ
    {0xFF6F, 0},
    {0xFF82, 0},
    {0xFF82, kVoiced}, // ッツヅ
    {0xFF83, 0},
    {0xFF83, kVoiced},
    {0xFF84, 0},
    {0xFF84, kVoiced}, // テデトド
    {0xFF85, 0},
    {0xFF86, 0},
    {0xFF87, 0},
    {0xFF88, 0},
    {0xFF89, 0}, // ナニヌネノ
    {0xFF8A, 0},
    {0xFF8A, kVoiced},
    {0xFF8A, kSemiVoiced}, // ハバパ
    {0xFF8B, 0},
    {0xFF8B, kVoiced},
    {0xFF8B, kSemiVoiced}, // ヒビピ
    {0xFF8C, 0},
    {0xFF8C, kVoiced},
    {0xFF8C, kSemiVoiced}, // フブプ
    {0xFF8D, 0},
    {0xFF8D, kVoiced},
    {0xFF8D, kSemiVoiced}, // ヘベペ
    {0xFF8E, 0},
    {0xFF8E, kVoiced},
    {0xFF8E, kSemiVoiced}, // ホボポ
    {0xFF8F, 0},
    {0xFF90, 0},
    {0xFF91, 0},
    {0xFF92, 0},
    {0xFF93, 0}, // マミムメモ
    {0xFF6C, 0},
    {0xFF94, 0},
    {0xFF6D, 0},
    {0xFF95, 0}, // ャヤュユ
    {0xFF6E, 0},
    {0xFF96, 0}, // ョヨ
    {0xFF97, 0},
    {0xFF98, 0},
    {0xFF99, 0},
    {0xFF9A, 0},
    {0xFF9B, 0}, // ラリルレロ
    {0, 0},
    {0xFF9C, 0},
    {0, 0},
    {0, 0},
    {0xFF66, 0},
    {0xFF9D, 0}, // ヮワヰヱヲン
    {0xFF73, kVoiced},
    {0, 0},
    {0, 0}, // ヴヵヶ
}};
static_assert(kHalfKatakana[0x30AC - 0x30A1].mark == kVoiced); // ガ
static_assert(kHalfKatakana[0x30DD - 0x30A1].base == 0xFF8E);  // ポ
static_assert(kHalfKatakana[0x30F3 - 0x30A1].base == 0xFF9D);  // ン
static_assert(kHalfKatakana[0x30F4 - 0x30A1].mark == kVoiced); // ヴ

char16_t HalfWidthPunctuation(char16_t ch) {
    switch (ch) {
    case 0x3000:
        return 0x0020; // ideographic space
    case 0x3001:
        return 0xFF64; // 、
    case 0x3002:
        return 0xFF61; // 。
    case 0x300C:
        return 0xFF62; // 「
    case 0x300D:
        return 0xFF63; // 」
    case 0x309B:
        return 0xFF9E; // ゛
    case 0x309C:
        return 0xFF9F; // ゜
    case 0x30FB:
        return 0xFF65; // ・
    case 0x30FC:
        return 0xFF70; // ー
    case 0xFFE5:
        return 0x00A5; // ￥
    default:
        return 0;
    }
}

} // namespace

char16_t HiraganaToKatakana(char16_t ch) {
    if ((ch >= 0x3041 && ch <= 0x3096) || ch == 0x309D || ch == 0x309E) {
        return static_cast<char16_t>(ch + 0x60);
    }
    return ch;
}

std::u16string HiraganaToKatakana(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& ch : result) {
        ch = HiraganaToKatakana(ch);
    }
    return result;
}

void AppendHalfWidth(char16_t ch, std::u16string& out) {
    if (ch >= 0xFF01 && ch <= 0xFF5E) {
        out.push_back(static_cast<char16_t>(ch - 0xFEE0));
        return;
    }
    if (ch >= 0x30A1 && ch <= 0x30F6) {
        const HalfKana half = kHalfKatakana[ch - 0x30A1];
        if (half.base != 0) {
            out.push_back(half.base);
            if (half.mark != 0) {
                out.push_back(half.mark);
            }
            return;
        }
    }
    const char16_t punctuation = HalfWidthPunctuation(ch);
    out.push_back(punctuation != 0 ? punctuation : ch);
}

std::u16string HalfWidthToFullWidthKatakana(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (ch < 0xFF61 || ch > 0xFF9F) {
            result.push_back(ch);
            continue;
        }
        const char16_t next = i + 1 < text.size() ? text[i + 1] : 0;
        char16_t full = 0;
        char16_t plain = 0;
        for (size_t k = 0; k < kHalfKatakana.size() && full == 0; ++k) {
            const HalfKana half = kHalfKatakana[k];
            if (half.base != ch) continue;
            const auto letter = static_cast<char16_t>(0x30A1 + k);
            if (half.mark == 0) {
                if (plain == 0) plain = letter;
            } else if (half.mark == next) {
                full = letter;
            }
        }
        if (full != 0) {
            result.push_back(full);
            ++i;
            continue;
        }
        if (plain == 0) {
            // Punctuation and the sound marks: the full-width form whose half-width is ch.
            for (char16_t c : {u'\u3001', u'\u3002', u'\u300C', u'\u300D', u'\u309B', u'\u309C',
                               u'\u30FB', u'\u30FC'})
                if (HalfWidthPunctuation(c) == ch) plain = c;
        }
        result.push_back(plain != 0 ? plain : ch);
    }
    return result;
}

std::u16string FullWidthToHalfWidth(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (char16_t ch : text) {
        AppendHalfWidth(ch, result);
    }
    return result;
}

} // namespace platform
