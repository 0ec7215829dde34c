// The composer's Shift-JIS text utilities, and the one place where the editor's
// QString text becomes Shift-JIS bytes and back. Every std::string here holds code
// page 932 bytes; a character is one byte or a lead byte and the byte after it.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shift_jis.h"

namespace composer {

// Number of characters; a two-byte character counts once, CR LF twice, and a lead byte
// that ends the text once.
int CountMbChars(std::string_view text);

// The `count` characters from the 1-based character position `start`, two-byte
// characters never split; fewer when the text ends first. Empty for start < 1 or count < 1.
std::string CopyMbChars(std::string_view text, int start, int count);

// True when decoding the text gives fewer UTF-16 units than it has bytes, which for
// well-formed text means it holds a two-byte character.
bool HasDoubleByteChar(std::string_view text);

// Hiragana become katakana; everything else, bytes that are no character included,
// stays as it was.
std::string ToKatakana(std::string_view text);

// Full-width forms become half-width ones (voiced katakana as the letter and "ﾞ"/"ﾟ");
// characters without a half-width form and unreadable bytes stay as they were.
std::string ToHalfWidth(std::string_view text);

// True when the text contains both "@" and "." anywhere.
bool IsMailAddress(std::string_view text);

// Replaces every occurrence of `pattern` that starts on a character boundary; the
// replacement text is never searched again. An empty pattern replaces nothing.
std::string ReplaceAllText(std::string_view text, std::string_view pattern,
                           std::string_view replacement);

// True when the whole text is a decimal number: leading spaces, an optional sign,
// digits, optionally "." and digits, optionally "E"/"e", a sign and digits. Nothing
// may follow (no trailing spaces, no thousands separators, no hexadecimal).
bool IsNumericText(std::string_view text);

// --- the widget boundary ---

// A one-line field's text as Shift-JIS. Characters code page 932 cannot hold become
// "?" and are listed in `unmappable` when it is given.
std::string ToShiftJis(const QString& text,
                       std::vector<platform::TShiftJisUnmappable>* unmappable = nullptr,
                       platform::TShiftJisScope scope = platform::TShiftJisScope::CodePage932);
QString FromShiftJis(std::string_view text);

// The editor's text as the logic sees it: its lines joined with CR LF, no line break
// after the last line. Any line break of the editor (LF, CR, CR LF, U+2028, U+2029)
// becomes CR LF.
std::string
EditorTextToShiftJis(const QString& text,
                     std::vector<platform::TShiftJisUnmappable>* unmappable = nullptr,
                     platform::TShiftJisScope scope = platform::TShiftJisScope::CodePage932);

// The same lines in UTF-8, for the smartphone target's UTF-8 payloads.
std::string EditorTextToUtf8(const QString& text);

// Shift-JIS text for the editor: any line break (CR LF, CR, LF) becomes "\n".
QString ShiftJisToEditorText(std::string_view text);

// Splits at CR LF, CR or LF into lines; a final line break does not start an empty line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace composer
