// The two kana mappings of the composer's reading fields, on UTF-16 text: hiragana to
// katakana, and full-width forms to the half-width forms that Shift-JIS holds.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Hiragana letters (U+3041-U+3096) and the hiragana iteration marks (U+309D, U+309E)
// become their katakana; everything else stays.
char16_t HiraganaToKatakana(char16_t ch);
std::u16string HiraganaToKatakana(std::u16string_view text);

// Appends the half-width form of `ch` to `out`: full-width katakana become half-width
// katakana, a voiced or semi-voiced one splits into the base letter and U+FF9E/U+FF9F,
// the prolonged sound mark, the katakana punctuation and the two sound marks become
// theirs, full-width ASCII becomes ASCII, the ideographic space a space and the
// full-width yen sign the yen sign (0x5C in code page 932). Anything else, including
// kanji, hiragana, ヮ ヰ ヱ ヵ ヶ and the full-width signs whose half-width form has no
// code page 932 byte (￠ ￡ ￢ ￣ ￤), is appended unchanged.
void AppendHalfWidth(char16_t ch, std::u16string& out);
std::u16string FullWidthToHalfWidth(std::u16string_view text);

// Half-width katakana (U+FF61-U+FF9F) become full-width, a letter and the sound mark
// after it one voiced or semi-voiced letter (ｶﾞ -> ガ), as a phone's contacts store a
// reading. Everything else stays.
std::u16string HalfWidthToFullWidthKatakana(std::u16string_view text);

} // namespace platform
