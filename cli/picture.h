// varoku-qr's pictures drawn by the TQRCode component, as the desktop program draws
// them: PNG with captions, SVG and PDF. Part of libvaroku-qr-draw (cli/draw_entries.h).
#pragma once

#include <memory>
#include <string>

#include "cli/draw_entries.h"
#include "cli/options.h"
#include "cli/symbols.h"
#include "qr/engine/symbol_engine.h"

class QApplication;

namespace cli {

// The component is a widget, so it needs an application object. Pictures are drawn
// off any screen: without a platform chosen by the user the offscreen one is taken,
// so varoku-qr runs without a display. Qt's own diagnostics stay off standard error.
class TGuiSession {
public:
    TGuiSession();
    ~TGuiSession();
    TGuiSession(const TGuiSession&) = delete;
    TGuiSession& operator=(const TGuiSession&) = delete;

private:
    std::unique_ptr<QApplication> app_;
};

// Draws the symbols that PrepareSymbols built (plan.Symbols) as a PNG, SVG or PDF
// picture: the component takes over `engine`, the one PrepareSymbols prepared, and
// draws those modules without building any symbol again. Captions get a band of their
// own above or below each symbol, so they never cover a module.
TPicture DrawPicture(TPictureType type, const TSymbolRequest& request, const TBuildResult& plan,
                     const TDrawing& drawing, const qr::engine::TQRSymbolEngine& engine);

} // namespace cli
