// varoku-qr: the command-line companion. Reads a text, builds its QR code symbols with
// the engine of the desktop program and prints them as PBM text.
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/input.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/symbols.h"
#include "qr/engine/symbol_engine.h"

namespace {

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "varoku-qr: %s\n", message.c_str());
    return status;
}

int Run(const std::vector<std::string>& args) {
    const auto parsed = cli::ParseArguments(args);
    if (!parsed.Error.empty()) return Fail(cli::kExitUsage, parsed.Error);
    const auto& options = parsed.Options;
    if (options.Help) {
        std::fputs(cli::UsageText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? cli::kExitOk : cli::kExitUsage;
    }

    auto text = cli::ReadText(options);
    if (!text.Error.empty()) return Fail(text.TooLong ? cli::kExitNoFit : cli::kExitUsage, text.Error);
    if (options.InputEncoding == cli::TInputEncoding::Utf8) {
        text = cli::Utf8ToShiftJis(text.Bytes);
        if (!text.Error.empty()) return Fail(cli::kExitUsage, text.Error);
    }

    // The engine keeps every work area of a version 40 symbol inside itself.
    auto engine = std::make_unique<qr::engine::TQRSymbolEngine>();
    const auto built = cli::PrepareSymbols(*engine, options, text.Bytes);
    for (const auto& warning : built.Warnings) std::fprintf(stderr, "varoku-qr: warning: %s\n", warning.c_str());
    if (built.Exit != cli::kExitOk) return Fail(built.Exit, built.Error);

    const auto* lines = cli::PbmLines(*engine);
    if (!lines) return Fail(cli::kExitNoFit, "a symbol could not be built");
    if (const auto error = cli::WriteLines(options.OutputPath, *lines); !error.empty())
        return Fail(cli::kExitUsage, error);
    return cli::kExitOk;
}

}  // namespace

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
