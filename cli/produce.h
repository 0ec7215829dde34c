// One text to one finished picture file (or standard output): the symbols checked,
// drawn in the chosen type and written whole or not at all. Plain text, the payload
// commands and every line of a batch go through here.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/output.h"
#include "qr/engine/symbol_engine.h"

namespace cli {

// Whether the options' pictures are drawn by the component (libvaroku-qr-draw, with
// a TDrawSession alive): PDF, and SVG and PNG with captions.
bool NeedsComponent(const TCliOptions& options);

// Builds the symbols of `code` (Shift-JIS) in `engine`, which must be fresh (as
// constructed: settings a request leaves open are not written), and writes them as
// options.Type to path (standard output when empty), as `kind` says; with
// options.Verbose, tells on standard error what was built. With --verify the
// picture is read back first and nothing is written when it does not give back `code`
// (and `typed`, the same text as UTF-8, when the caller knows it).
TOutcome Produce(const TCliOptions& options, const TSymbolRequest& request, const std::string& code,
                 const std::string& path, qr::engine::TQRSymbolEngine& engine,
                 TWriteKind kind = wkSingle, std::string_view typed = {});

} // namespace cli
