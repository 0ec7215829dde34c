// Code page 932 without Qt or ICU: the window's conversion of one character to
// Shift-JIS, read from a table that the build writes from the window's own converter
// (cli/make_code_page_932_table.cpp). cli::Utf8ToShiftJis (cli/input.h) is built on it.
#pragma once

#include <cstdint>

namespace cli {

// The form of `c` in code page 932: its byte, or its two bytes as lead * 256 + trail,
// with the window's best-fit forms (U+301C -> 0x8160, U+00A5 -> 0x5C); 0 when it has
// none, as for every character beyond U+FFFF and every surrogate. ASCII is itself
// (U+0000 too, the one character whose form is 0).
std::uint16_t CodePage932Form(char32_t c);

} // namespace cli
