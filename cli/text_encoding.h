// Which bytes the symbols of a text carry: the text as read (UTF-8, or Shift-JIS with
// --input-encoding sjis) made Shift-JIS or UTF-8 as --encoding says.
#pragma once

#include <string>

#include "cli/input.h"
#include "cli/options.h"

namespace cli {

struct TEncodedText : TInputResult {
    bool Utf8 = false; // Bytes are UTF-8, which the symbols must announce (ECI 26)
};

// The symbols' bytes of `text`. Shift-JIS input is taken as it is. UTF-8 input becomes
// code page 932 (TTextEncoding::ShiftJis, refusing a character without a form there),
// stays UTF-8 without its byte-order mark (Utf8), or, with Auto, becomes Shift-JIS
// when every character has a form that phones read (ASCII, half-width katakana and
// JIS X 0208), else stays UTF-8; under a designator fixed with --eci, Auto is what it
// names (26 UTF-8, any other Shift-JIS). Malformed UTF-8 is refused whatever the
// encoding.
TEncodedText EncodeText(const TCliOptions& options, std::string text);

// A character of Shift-JIS text outside what phones read: a lead byte past JIS X 0208's
// rows (NEC's row 13, the IBM extensions, the user-defined area).
bool HasNonJisX0208(std::string_view shiftJis);

// The ECI of symbols of an encoded text: UTF-8 says so unless the user chose a
// designator (or none) with --eci.
int TextEci(int requested, bool utf8);

} // namespace cli
