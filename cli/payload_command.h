// The mail, card and bookmark commands: the fields from the command line become the
// payload that the window's "作成" makes of the same fields, through the same functions.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace cli {

struct TPayloadResult {
    int Exit = kExitOk;
    std::string Error; // the refusal, as the window words it where the window refuses
    std::vector<std::string> Warnings;
    std::string Payload; // Shift-JIS
    int Count = 0;       // symbols, by the window's count rule
};

// Converts the fields to Shift-JIS as the window's fields do (a multi-line field's
// line breaks become CR LF), refusing characters without a Shift-JIS form, and composes
// the command's payload. --body - reads standard input here.
TPayloadResult ComposePayload(const TCliOptions& options);

} // namespace cli
