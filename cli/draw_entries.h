// The entry table of libvaroku-qr-draw, the part of varoku-qr that needs Qt and ICU:
// the component's drawing (captions, SVG, PDF) and the payload commands. varoku-qr opens it with
// dlopen only when a command needs one of these, so the quick paths start without loading Qt at
// all. The table passes C++ types, so a library must have been built from the same headers by the
// same compiler: a plain C function gives its layout stamp, and the program refuses any library
// whose stamp differs from its own before it touches the table.
#pragma once

#include <string>
#include <string_view>

#include "cli/input.h"
#include "cli/options.h"
#include "cli/payload_command.h"
#include "cli/symbols.h"
#include "qr/engine/symbol_engine.h"

namespace cli {

#ifndef VAROKU_DRAW_ABI
#error "VAROKU_DRAW_ABI comes from cli/CMakeLists.txt"
#endif

inline constexpr int kDrawEntriesVersion = 4;
inline constexpr const char* kDrawEntriesSymbol = "varoku_qr_draw_entries";
inline constexpr const char* kDrawStampSymbol = "varoku_qr_draw_stamp";

struct TDrawEntries {
    int Version;
    // The application object the component needs; one at a time, closed before exit.
    void* (*OpenSession)();
    void (*CloseSession)(void* session);
    // The symbols that PrepareSymbols built, drawn by the component as PNG (with
    // captions), SVG or PDF without building them again. `engine` is the one
    // PrepareSymbols prepared.
    TPicture (*DrawPicture)(TPictureType type, const TSymbolRequest& request,
                            const TBuildResult& plan, const TDrawing& drawing,
                            const qr::engine::TQRSymbolEngine& engine);
    TPayloadResult (*ComposePayload)(const TCliOptions& options);
    std::string (*ShiftJisToUtf8)(std::string_view sjis);
};

// The build's hash of every header whose types cross the table and of the compiler
// (VAROKU_DRAW_ABI, from CMake), with the sizes of those types as this side lays them
// out; the same text on both sides or no table.
inline std::string DrawLayoutStamp() {
    return std::string(VAROKU_DRAW_ABI) + ":" + std::to_string(kDrawEntriesVersion) + ":" +
           std::to_string(sizeof(TDrawEntries)) + "," + std::to_string(sizeof(TSymbolRequest)) +
           "," + std::to_string(sizeof(TBuildResult)) + "," + std::to_string(sizeof(TDrawing)) +
           "," + std::to_string(sizeof(TCliOptions)) + "," +
           std::to_string(sizeof(TPayloadResult)) + "," + std::to_string(sizeof(TInputResult)) +
           "," + std::to_string(sizeof(qr::engine::TQRSymbolEngine)) + "," +
           std::to_string(sizeof(std::string));
}

} // namespace cli

extern "C" {
// The library's two exported symbols: its layout stamp (plain C, safe to call in any
// library), then the table.
using TVarokuQrDrawStampFn = const char* (*)();
using TVarokuQrDrawEntriesFn = const cli::TDrawEntries* (*)();
}
