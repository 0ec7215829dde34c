#include "cli/produce.h"

#include "cli/output.h"
#include "cli/picture.h"
#include "cli/symbols.h"

namespace cli {

TProduct Produce(const TCliOptions& options, const TSymbolRequest& request, const std::string& code,
                 const std::string& path, qr::engine::TQRSymbolEngine& engine, bool syncEach) {
    TProduct p;
    auto fail = [&](int exit, std::string error) {
        p.Exit = exit;
        p.Error = std::move(error);
        return p;
    };
    engine = qr::engine::TQRSymbolEngine();
    const auto built = PrepareSymbols(engine, request, code);
    p.Warnings = built.Warnings;
    if (built.Exit != kExitOk) return fail(built.Exit, built.Error);

    std::string error;
    switch (*options.Type) {
    case TPictureType::Pbm: {
        if (auto tooLarge = PbmTooLarge(engine); !tooLarge.empty())
            return fail(kExitUsage, tooLarge);
        const auto* lines = PbmLines(engine);
        if (!lines) return fail(kExitNoFit, "a symbol could not be built");
        error = WriteLines(path, *lines, syncEach);
        break;
    }
    case TPictureType::Utf8: {
        const std::string text = Utf8Picture(engine, options.Drawing);
        if (text.empty()) return fail(kExitNoFit, "a symbol could not be built");
        error = WriteBytes(path, text, syncEach);
        break;
    }
    default: {
        const auto picture =
            DrawPicture(*options.Type, request, built, options.Drawing, code, engine);
        if (picture.Exit != kExitOk) return fail(picture.Exit, picture.Error);
        error = WriteBytes(path, picture.Bytes, syncEach);
        break;
    }
    }
    if (!error.empty()) return fail(kExitUsage, error);
    return p;
}

} // namespace cli
