// The entry table of libvaroku-qr-draw, the part of varoku-qr that needs Qt and ICU:
// the component's drawing (captions, SVG, PDF), the payload commands and the Shift-JIS
// converter. varoku-qr opens it with dlopen only when a command needs one of these,
// so the quick paths start without loading Qt at all. Both sides are built from the
// same tree; kDrawEntriesVersion guards against a stale library beside a new program.
#pragma once

#include <string>
#include <string_view>

#include "cli/input.h"
#include "cli/options.h"
#include "cli/payload_command.h"
#include "cli/symbols.h"
#include "qr/engine/symbol_engine.h"

namespace cli {

inline constexpr int kDrawEntriesVersion = 3;
inline constexpr const char* kDrawEntriesSymbol = "varoku_qr_draw_entries";

struct TPictureResult {
    int Exit = kExitOk;
    std::string Error;
    std::string Bytes;
};

struct TDrawEntries {
    int Version;
    // The application object the component needs; one at a time, closed before exit.
    void* (*OpenSession)();
    void (*CloseSession)(void* session);
    // The symbols that PrepareSymbols built, drawn by the component as PNG (with
    // captions), SVG or PDF without building them again. `engine` is the one
    // PrepareSymbols prepared.
    TPictureResult (*DrawPicture)(TPictureType type, const TSymbolRequest& request,
                                  const TBuildResult& plan, const TDrawing& drawing,
                                  const qr::engine::TQRSymbolEngine& engine);
    TPayloadResult (*ComposePayload)(const TCliOptions& options);
    TInputResult (*Utf8ToShiftJis)(std::string_view utf8);
    std::string (*ShiftJisToUtf8)(std::string_view sjis);
};

} // namespace cli

extern "C" {
// The library's one exported symbol.
using TVarokuQrDrawEntriesFn = const cli::TDrawEntries* (*)();
}
