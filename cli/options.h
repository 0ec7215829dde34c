// The command line of varoku-qr: what the user asked for, checked for range, before
// any input is read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "qr/engine/input.h"

namespace cli {

// Exit statuses: every symbol built; the data does not fit; a usage or input error
// (also a failed read or write).
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoFit = 1;
inline constexpr int kExitUsage = 2;

enum class TInputEncoding { Utf8, Sjis };

struct TCliOptions {
    int Version = 0;           // 1..40; 0 chooses the smallest that holds every symbol
    int Eclevel = 0;           // 0 L, 1 M, 2 Q, 3 H
    int Emode = -1;            // -1 automatic, 0 numeric, 1 alphanumeric, 2 8-bit, 3 Kanji
    int Masktype = -1;         // -1 automatic, 0..7
    std::optional<int> Count;  // 1..1024; written after Split so the engine's rules apply
    std::optional<qr::engine::TQRMode> Split;
    bool BinaryOperation = false;
    int Pxmag = 1;  // 1..10
    TInputEncoding InputEncoding = TInputEncoding::Utf8;
    std::string OutputPath;  // empty: standard output
    bool Help = false;
    // The text operands; none (or a lone "-") means standard input.
    std::vector<std::string> Text;
    bool TextFromStdin = true;
};

struct TParseResult {
    TCliOptions Options;
    std::string Error;  // empty when the command line is sound
};

// Parses the arguments after the program name. Long options take their value as
// "--name=value" or as the next argument; "--" ends the options.
TParseResult ParseArguments(const std::vector<std::string>& args);

// The --help text, ending in a newline.
std::string UsageText();

}  // namespace cli
