// varoku-qr's command line and input in process: the fuzz input is the arguments
// (separated by NUL bytes) up to the first pair of NULs, then standard input. It goes
// through the option parsing, the picture type's resolution, the reading of the text
// and its conversion, or the composing of a payload, as main() runs them before any
// symbol is built. Nothing is written: -o is never used, and -r reads a file inside a
// private temporary folder holding the standard input part.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/input.h"
#include "cli/options.h"
#include "cli/payload_command.h"

namespace {

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "cli fuzz: %s\n", what);
    std::abort();
}

// A file standing in for standard input, rewritten for every input.
int StandardInput() {
    static const int fd = [] {
        const int made = memfd_create("varoku-cli-fuzz-stdin", 0);
        if (made < 0) Finding("no memfd for standard input");
        return made;
    }();
    return fd;
}

char readFolder[] = "/tmp/varoku-cli-fuzz-XXXXXX";

// The folder goes when the run ends, with the one file ever written into it.
void RemoveReadFolder() {
    unlink((std::string(readFolder) + "/input.txt").c_str());
    rmdir(readFolder);
}

const std::string& ReadFilePath() {
    static const std::string path = [] {
        if (!mkdtemp(readFolder)) Finding("no temporary folder");
        std::atexit(RemoveReadFolder);
        return std::string(readFolder) + "/input.txt";
    }();
    return path;
}

void Feed(std::string_view text) {
    const int fd = StandardInput();
    if (ftruncate(fd, 0) != 0 ||
        pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size()))
        Finding("cannot fill standard input");
    lseek(fd, 0, SEEK_SET);
    if (dup2(fd, STDIN_FILENO) < 0) Finding("cannot replace standard input");
}

void CheckInput(const cli::TInputResult& r) {
    if (r.Ok() != r.Error.empty()) Finding("an exit status that disagrees with the error");
}

} // namespace

// The program loads its converter from the drawing library; in process it is called
// directly, for ASCII and other text alike.
cli::TInputResult cli::Utf8ToShiftJis(std::string_view utf8) {
    return ConvertUtf8ToShiftJis(utf8);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t end = all.find(std::string_view("\0\0", 2));
    const std::string_view argText = all.substr(0, end);
    const std::string_view stdinText =
        end == std::string_view::npos ? std::string_view() : all.substr(end + 2);

    std::vector<std::string> args;
    for (std::size_t at = 0; at <= argText.size() && !argText.empty();) {
        const std::size_t next = std::min(argText.find('\0', at), argText.size());
        args.emplace_back(argText.substr(at, next - at));
        at = next + 1;
    }

    cli::TParseResult parsed = cli::ParseArguments(args);
    if (!parsed.Error.empty()) return 0;
    cli::TCliOptions& options = parsed.Options;
    if (options.Help) {
        if (cli::UsageText().empty() || cli::UsageText().back() != '\n')
            Finding("usage text without its last line break");
        return 0;
    }
    if (options.ProgramVersion) return 0;
    // Output paths are never used here; the type still follows from -o's extension.
    const bool terminal = !argText.empty() && (argText[0] & 1) != 0;
    if (!cli::ResolvePicture(options, terminal).empty()) return 0;
    if (!options.Type) Finding("a resolved picture without a type");
    for (const auto& name : cli::IgnoredDrawingOptions(options))
        if (name.empty()) Finding("an unnamed ignored option");
    if (options.Command == cli::TCommand::Batch) return 0; // it writes one file per line

    Feed(stdinText);
    if (!options.ReadPath.empty() && options.ReadPath != "-") {
        options.ReadPath = ReadFilePath();
        FILE* file = std::fopen(options.ReadPath.c_str(), "wb");
        if (!file) Finding("cannot write the -r file");
        std::fwrite(stdinText.data(), 1, stdinText.size(), file);
        std::fclose(file);
    }
    if (options.Command == cli::TCommand::Text) {
        cli::TInputResult text = cli::ReadText(options);
        CheckInput(text);
        if (!text.Error.empty()) return 0;
        if (options.InputEncoding == cli::TInputEncoding::Utf8)
            CheckInput(cli::Utf8ToShiftJis(text.Bytes));
        return 0;
    }
    const cli::TPayloadResult payload = cli::ComposePayload(options);
    if ((payload.Exit == cli::kExitOk) != payload.Error.empty())
        Finding("a payload's exit status disagrees with its error");
    if (payload.Exit == cli::kExitOk && payload.Count < 1) Finding("a payload of no symbols");
    return 0;
}
