// varoku-qr: the command-line companion. Makes the QR code symbols of a text, or of a
// mail, address card or bookmark payload as the desktop program builds it, with the
// same engine and component, and writes them as PBM, PNG, SVG, PDF or terminal text.
// Qt and ICU live in libvaroku-qr-draw, loaded only for what needs them.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/draw_library.h"
#include "cli/input.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/produce.h"
#include "cli/text_encoding.h"
#include "composer/atomic_file.h"

namespace {

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "varoku-qr: %s\n", message.c_str());
    return status;
}

void Warn(const std::string& message) {
    std::fprintf(stderr, "varoku-qr: warning: %s\n", message.c_str());
}

// --help and -V into a full disk or a closed pipe must not look like success.
int Print(const std::string& text) {
    const bool put = std::fputs(text.c_str(), stdout) >= 0;
    if (put && std::fflush(stdout) == 0) return cli::kExitOk;
    return Fail(cli::kExitUsage,
                std::string("cannot write standard output: ") + std::strerror(errno));
}

int Run(const std::vector<std::string>& args) {
    auto parsed = cli::ParseArguments(args);
    if (!parsed.Error.empty()) return Fail(cli::kExitUsage, parsed.Error);
    auto& options = parsed.Options;
    // A script (or a test suite) can have every picture read back without changing each
    // command line.
    if (const char* verify = std::getenv("VAROKU_QR_VERIFY");
        verify && verify == std::string_view("1"))
        options.Verify = true;
    if (options.Help) return Print(cli::UsageText());
    if (options.ProgramVersion) return Print("varoku-qr " VAROKU_APP_VERSION "\n");

    if (auto error = cli::ResolvePicture(options, ::isatty(STDOUT_FILENO) == 1); !error.empty())
        return Fail(cli::kExitUsage, error);
    for (const auto& name : cli::IgnoredDrawingOptions(options))
        Warn(name + " does not apply to " + cli::PictureTypeName(*options.Type) + " pictures");
    if (options.Command == cli::TCommand::Batch) return cli::RunBatch(options);
    composer::RemoveTemporariesOnSignal();

    std::string code;
    std::string typed; // the same as UTF-8, for --verify to hold the phone's text to
    cli::TSymbolRequest request = options.Symbols;
    if (options.Command == cli::TCommand::Text) {
        auto text = cli::ReadText(options);
        if (!text.Ok()) return Fail(text.Exit, text.Error);
        if (options.Verify && options.InputEncoding == cli::TInputEncoding::Utf8)
            typed = text.Bytes.starts_with("\xEF\xBB\xBF") ? text.Bytes.substr(3) : text.Bytes;
        auto encoded = cli::EncodeText(options, std::move(text.Bytes));
        if (!encoded.Ok()) return Fail(encoded.Exit, encoded.Error);
        request.Eci = cli::TextEci(request.Eci, encoded.Utf8);
        code = std::move(encoded.Bytes);
        if (code.empty() && !options.AllowEmpty)
            return Fail(cli::kExitUsage, "the text is empty: nothing to encode (--allow-empty "
                                         "makes an empty symbol)");
    } else {
        std::string error;
        const cli::TDrawEntries* entries = cli::DrawLibrary(error);
        if (!entries) return Fail(cli::kExitUsage, error);
        auto payload = entries->ComposePayload(options);
        for (const auto& warning : payload.Warnings)
            Warn(warning);
        if (payload.Exit != cli::kExitOk) return Fail(payload.Exit, payload.Error);
        if (options.PrintPayload) {
            const std::string shown =
                (payload.Utf8 ? payload.Payload : entries->ShiftJisToUtf8(payload.Payload)) + "\n";
            if (const auto error = cli::WriteBytes(options.OutputPath, shown); !error.empty())
                return Fail(cli::kExitUsage, error);
            return cli::kExitOk;
        }
        code = std::move(payload.Payload);
        if (options.Verify) typed = payload.Utf8 ? code : entries->ShiftJisToUtf8(code);
        request.Count = payload.Count;
        // UTF-8 must say so, or readers take it for Shift-JIS.
        if (payload.Utf8) request.Eci = qr::engine::kEciUtf8;
    }

    std::optional<cli::TDrawSession> gui;
    if (cli::NeedsComponent(options)) {
        std::string error;
        const cli::TDrawEntries* entries = cli::DrawLibrary(error);
        if (!entries) return Fail(cli::kExitUsage, error);
        gui.emplace(*entries);
    }
    // The engine keeps every work area of a version 40 symbol inside itself.
    auto engine = std::make_unique<qr::engine::TQRSymbolEngine>();
    const auto product =
        cli::Produce(options, request, code, options.OutputPath, *engine, cli::wkSingle, typed);
    for (const auto& warning : product.Warnings)
        Warn(warning);
    if (product.Exit != cli::kExitOk) return Fail(product.Exit, product.Error);
    return cli::kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        return Fail(cli::kExitUsage, "out of memory");
    } catch (const std::exception& e) {
        // A division error of the engine; its text names the inconsistent item.
        return Fail(cli::kExitUsage, e.what());
    }
}
