// Where varoku-qr's text comes from and how it becomes the Shift-JIS bytes of Code.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/options.h"

namespace cli {

// More input than this cannot fit even 1024 symbols of version 40 (7089 bytes each),
// escapes and UTF-8 counted generously; reading stops there instead of filling memory.
inline constexpr std::size_t kMaxInputBytes = std::size_t{16} << 20;

// Text read or converted; a text too long for any set of symbols is kExitNoFit.
struct TInputResult : TOutcome {
    std::string Bytes;
};

// The operands joined by single spaces, the file of -r, or all of standard input.
TInputResult ReadText(const TCliOptions& options);

// The whole of a file, or of standard input for "-", refused past `limit` bytes (a
// batch streams its file instead: cli/batch_lines.h).
TInputResult ReadFileOrStdin(const std::string& path, std::size_t limit = kMaxInputBytes);

// Strict UTF-8 to UTF-16; returns an error naming the first bad byte's offset, or "".
std::string Utf8ToUtf16(std::string_view utf8, std::u16string& out);

// "character U+.... 'c' at position N has no Shift-JIS form"
std::string UnmappableText(char32_t character, int position);

// The text to convert: UTF-8 input as UTF-16 without its byte-order mark. False, with
// the refusal in `refusal`, when the input is not well-formed UTF-8.
bool InputAsUtf16(std::string_view utf8, std::u16string& text, TInputResult& refusal);

// Whether every byte is ASCII, which is its own Shift-JIS.
bool IsPlainAscii(std::string_view text);

// Converts UTF-8 text to code page 932 without Qt or ICU (cli/code_page_932.h), byte
// for byte as the window's converter does; safe on any thread. A leading byte-order
// mark is dropped. Refuses malformed UTF-8 (naming the byte offset) and characters
// without a Shift-JIS form (naming the character and its 1-based position in
// characters).
TInputResult Utf8ToShiftJis(std::string_view utf8);

// The same conversion through ICU (platform/shift_jis.h), the window's converter: what
// Utf8ToShiftJis is held to. Not in the program (cli/shift_jis_input.cpp).
TInputResult ConvertUtf8ToShiftJis(std::string_view utf8);

} // namespace cli
