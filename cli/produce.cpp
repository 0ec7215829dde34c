#include "cli/produce.h"

#include <cstdio>

#include "cli/draw_library.h"
#include "cli/output.h"
#include "cli/plain_picture.h"
#include "cli/symbols.h"
#include "cli/vector_picture.h"
#include "cli/verify.h"
#include "qr/engine/raster.h"

namespace cli {

bool NeedsComponent(const TCliOptions& options) {
    return DrawnByComponent(options);
}

TOutcome Produce(const TCliOptions& options, const TSymbolRequest& request, const std::string& code,
                 const std::string& path, qr::engine::TQRSymbolEngine& engine, TWriteKind kind,
                 std::string_view typed) {
    TOutcome p;
    const auto built = PrepareSymbols(engine, request, code);
    // Empty when the picture reads back as the code (or nobody asked).
    int failure = kExitUsage;
    auto unread = [&](std::string_view bytes, bool fromComponent) {
        if (!options.Verify) return std::string();
        TVerifyRequest v;
        v.Type = *options.Type;
        v.Bytes = bytes;
        v.FromComponent = fromComponent;
        v.Symbols = &built.Symbols;
        v.Drawing = &options.Drawing;
        v.Pxmag =
            fromComponent || options.Drawing.Scale <= 0 ? engine.Pxmag() : options.Drawing.Scale;
        v.Linked = engine.Mode() == qr::engine::qrConnect && built.Symbols.Built.size() > 1;
        // What the symbols carry: the text with its ~hex~ escapes resolved, if asked.
        const auto prepared = engine.PreparedInput();
        const std::string payload(prepared.begin(), prepared.end());
        v.Payload = payload;
        if (!engine.BinaryOperation()) v.Text = typed;
        auto check = VerifyPicture(v);
        if (check.Ok()) return std::string();
        failure = check.Exit;
        return "--verify: " + check.Error;
    };
    auto write = [&](std::string_view bytes, bool fromComponent = false) {
        if (auto e = unread(bytes, fromComponent); !e.empty()) return e;
        return WriteBytes(path, bytes, kind);
    };
    auto fail = [&](int exit, std::string error) {
        p.Exit = exit;
        p.Error = std::move(error);
        return p;
    };
    p.Warnings = built.Warnings;
    if (built.Exit != kExitOk) return fail(built.Exit, built.Error);

    std::string error;
    const auto type = *options.Type;
    const TDrawing& drawing = options.Drawing;
    if (type == TPictureType::Pbm || type == TPictureType::PbmText) {
        const bool standard = type == TPictureType::Pbm;
        if (auto tooLarge = standard ? PbmTooLarge(engine, true, drawing.Margin, drawing.Scale)
                                     : PbmTooLarge(engine, false);
            !tooLarge.empty())
            return fail(kExitUsage, tooLarge);
    }
    if (type == TPictureType::Pbm) {
        const std::string pbm = StandardPbm(built.Symbols, drawing.Scale, drawing.Margin);
        if (pbm.empty()) return fail(kExitNoFit, "a symbol could not be built");
        error = write(pbm);
    } else if (type == TPictureType::PbmText) {
        if (!built.Symbols.Complete()) return fail(kExitNoFit, "a symbol could not be built");
        std::vector<std::string> lines;
        qr::engine::PbmText(lines, built.Symbols, engine.Mode(), engine.Count(), engine.Pxmag());
        error = unread({}, false);
        if (error.empty()) error = WriteLines(path, lines, kind);
    } else if (type == TPictureType::Utf8) {
        const std::string text = Utf8Picture(built.Symbols, options.Drawing);
        if (text.empty()) return fail(kExitNoFit, "a symbol could not be built");
        error = write(text);
    } else if (!NeedsComponent(options)) {
        const auto picture = type == TPictureType::Svg   ? SvgPicture(built.Symbols, drawing)
                             : type == TPictureType::Eps ? EpsPicture(built.Symbols, drawing)
                             : type == TPictureType::Pdf ? PdfPicture(built.Symbols, drawing)
                                                         : PlainPng(built.Symbols, drawing);
        if (picture.Exit != kExitOk) return fail(picture.Exit, picture.Error);
        error = write(picture.Bytes);
    } else {
        const TDrawEntries* entries = DrawLibrary(error);
        if (!entries) return fail(kExitUsage, error);
        const auto picture = entries->DrawPicture(type, request, built, options.Drawing, engine);
        if (picture.Exit != kExitOk) return fail(picture.Exit, picture.Error);
        error = write(picture.Bytes, true);
    }
    if (!error.empty()) return fail(failure, error);
    // Last, as it builds each symbol again in the engine the pictures were drawn from.
    if (options.Verbose) std::fputs(DescribeSymbols(engine).c_str(), stderr);
    return p;
}

} // namespace cli
