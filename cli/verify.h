// --verify: a picture is read back as a phone's reader reads it before it is written, so
// that no code leaves varoku-qr unread; each symbol from its own cell, as a phone is
// pointed at one at a time. varoku-qr's own PNG is read from its pixels; the other types
// and the component's PNG from the modules they are drawn from (this program has no
// rasteriser for SVG, PDF or text pictures, and only the component knows where its
// captions put the symbols).
#pragma once

#include <string>
#include <string_view>

#include "cli/options.h"
#include "cli/symbols.h"

namespace cli {

struct TVerifyRequest {
    TPictureType Type = TPictureType::Png;
    std::string_view Bytes;     // the picture as it would be written
    bool FromComponent = false; // drawn by the component (captions): read from the modules
    const TSymbolModules* Symbols = nullptr;
    const TDrawing* Drawing = nullptr;
    int Pxmag = 1;
    bool Linked = false;      // structured append
    std::string_view Payload; // the bytes encoded
    std::string_view Text;    // the same as UTF-8 text, or empty when not known
};

struct TVerifyResult : TOutcome {
    bool FromModules = false; // read from the modules, not from the picture's pixels
};

// Exit kExitUnread and a message naming the symbol and the difference when the picture
// does not read back as the payload.
TVerifyResult VerifyPicture(const TVerifyRequest& request);

} // namespace cli
