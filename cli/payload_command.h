// The mail, card and bookmark commands: the fields from the command line become the
// payload that the window's "作成" makes of the same fields, through the same functions.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace cli {

// Error: the refusal, in English like every message of the command (the window says
// the same in Japanese boxes of its own).
struct TPayloadResult : TOutcome {
    std::string Payload; // Shift-JIS, or UTF-8 when Utf8
    int Count = 0;       // symbols, by the window's count rule
    bool Utf8 = false;   // the smartphone target carries characters Shift-JIS phones lack
};

// Converts the fields to Shift-JIS as the window's fields do (a multi-line field's
// line breaks become CR LF), refusing characters that phones cannot show in Shift-JIS
// (none, or outside JIS X 0208) — for the smartphone target the fields then go as
// UTF-8 instead — and composes the command's payload. --body - reads standard input.
TPayloadResult ComposePayload(const TCliOptions& options);

} // namespace cli
