// The command line of varoku-qr: which command, what the user asked for, checked for
// range, before any input is read.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "qr/engine/bitstream.h"
#include "qr/engine/input.h"
#include "qr/engine/symbol_set.h"

namespace cli {

// Exit statuses, one meaning each, for a single text and for every line of a batch
// alike: every symbol built and written; the data does not fit; a usage or input
// error, or a failed read or write. A batch ends with the highest of its lines'.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoFit = 1;
inline constexpr int kExitUsage = 2;
// --verify: the picture does not read back as what was encoded. As with a text that does
// not fit, no usable code was made.
inline constexpr int kExitUnread = 1;

// How every step of the command reports: the exit status it leads to, one line of
// refusal when that is not kExitOk, and what was done differently from what was asked.
// A step that gives something more (a picture, a payload, built symbols) adds it to
// this; none throws.
struct TOutcome {
    int Exit = kExitOk;
    std::string Error;
    std::vector<std::string> Warnings;
    bool Ok() const { return Exit == kExitOk; }
};

// A picture's bytes, or the refusal.
struct TPicture : TOutcome {
    std::string Bytes;
};

// -s for the pictures varoku-qr draws itself, and what the component's own take (the
// engine's Pxmag); --margin and --dpi.
inline constexpr int kMaxScale = 100;
inline constexpr int kComponentMaxPxmag = 10;
inline constexpr int kMaxMargin = 100;
inline constexpr int kMaxDpi = 100000;

// Plain text, the window's three payloads, or one text per line of a file.
enum class TCommand { Text, Mail, Card, Bookmark, Batch };

enum class TInputEncoding { Utf8, ShiftJis };

// The bytes the symbols carry: Shift-JIS (code page 932), UTF-8 announced by ECI 26, or
// Shift-JIS unless the text has a character that phones cannot read in it.
enum class TTextEncoding { Auto, ShiftJis, Utf8 };

// Pbm is a standard raw Netpbm bitmap per symbol; PbmText the component's PBM text.
enum class TPictureType { Pbm, Png, Svg, Pdf, Utf8, PbmText, Eps };

// What the engine is asked for; the same for every text of a batch.
// What is asked of the symbols: the engine's request, with the Shift-JIS designator
// announced where a byte segment needs it and the fewest bits, unless the user says
// otherwise (the Docomo, Softbank and AU payloads keep the window's greedy rule).
struct TSymbolRequest : qr::engine::TQRSetRequest {
    TSymbolRequest() {
        Eci = qr::engine::kEciAuto;
        Segments = qr::engine::sgOptimal;
    }
    // Then the highest level at which the version (and count) found still hold the text.
    bool Boost = false;
};

// How the component draws the symbols (PNG, SVG, PDF) and how the terminal preview
// looks (utf8).
struct TDrawing {
    int Column = 4; // cells per row of the grid, 1..1024
    int Angle = 0;  // clockwise: 0, 90, 180 or 270
    bool Mirror = false;
    std::uint32_t Foreground = 0x000000; // 0xRRGGBB
    std::uint32_t Background = 0xFFFFFF;
    std::uint8_t ForegroundAlpha = 0xFF; // 0 transparent .. 0xFF opaque
    std::uint8_t BackgroundAlpha = 0xFF;
    // Pixels per module of the pictures drawn without the component, 1..100 (the
    // component's own take the engine's Pxmag, 1..10); 0 until ResolvePicture.
    int Scale = 0;
    int Margin = qr::engine::kQuietZone; // light modules round each symbol, 0..100
    int Dpi = 0;                         // 0: none written
    std::optional<std::string> SvgTitle; // UTF-8 as typed
    std::optional<std::string> SvgDesc;
    std::optional<std::string> CommentUp; // UTF-8 as typed
    std::optional<std::string> CommentDown;
    int CommentLoc = 0;  // 0 left, 1 centre, 2 right
    int Numbering = 0;   // 0 none, 1 head, 2 tail, 3 if void
    bool Invert = false; // utf8 for a dark terminal
};

// The fields of the window's composer, UTF-8 as typed.
struct TPayloadFields {
    int Carrier = 0; // 0 Docomo, 1 Softbank, 2 AU, 3 smartphone
    // mail
    std::string To;
    std::string Subject;
    int SubjectOption = 0; // 0 keep, 1 from the body, 2 "こんにちは!"
    bool SubjectChosen = false;
    std::optional<std::string> Body; // "-" reads standard input
    // card
    std::string FamilyName, GivenName, FamilyKana, GivenKana;
    std::string Tel1, Tel2, Mail1, Mail2, Memo;
    // bookmark
    std::string Title, Url;
};

struct TCliOptions {
    TCommand Command = TCommand::Text;
    TSymbolRequest Symbols;
    bool PxmagGiven = false;
    bool SegmentsGiven = false;
    TDrawing Drawing;
    std::optional<TPictureType> Type;
    TInputEncoding InputEncoding = TInputEncoding::Utf8;
    TTextEncoding Encoding = TTextEncoding::Auto;
    // The highest level that keeps the version; unset: on with --version auto.
    std::optional<bool> Boost;
    bool Verbose = false;   // what was built, on standard error
    std::string OutputPath; // empty: standard output (a directory for batch)
    std::string ReadPath;   // -r: the text comes from this file
    bool Help = false;
    bool ProgramVersion = false;
    bool Verify = false;     // every picture read back before it is written
    bool AllowEmpty = false; // an empty TEXT makes an empty symbol instead of a refusal
    bool PrintPayload = false;
    TPayloadFields Fields;
    // The text operands; none (or a lone "-") means standard input.
    std::vector<std::string> Text;
    bool TextFromStdin = true;
    std::string BatchFile; // "-": standard input
    int Jobs = 0;          // batch lines drawn at once; 0: one per processor
    // Long names of the drawing options given, for the warning that a type ignores one.
    std::vector<std::string> DrawingGiven;
};

struct TParseResult {
    TCliOptions Options;
    std::string Error; // empty when the command line is sound
};

// Parses the arguments after the program name. A first argument "mail", "card",
// "bookmark" or "batch" names the command (use "--" before a text that is one of
// these words). Long options take their value as "--name=value" or as the next
// argument; "--" ends the options.
TParseResult ParseArguments(const std::vector<std::string>& args);

// Settles what the options left open: the picture type (from -t, else from the
// extension of -o, else utf8 for a terminal and PBM otherwise) and the module size
// (the window's 2, or 1 for plain text as PBM), and refuses what the type cannot draw
// (an unknown extension of -o, a component's picture asked beyond its limits).
// Returns an error text or "".
std::string ResolvePicture(TCliOptions& options, bool stdoutIsTerminal);

// Whether a picture of the drawing has captions (or numbers that become captions).
bool HasCaptions(const TDrawing& drawing);

// Whether the component (libvaroku-qr-draw) draws the options' pictures: PDF, and PNG or
// SVG with captions. The type must be resolved.
bool DrawnByComponent(const TCliOptions& options);

// The CSS colour names --fg and --bg take, lower case, with their 0xRRGGBB.
struct TNamedColour {
    std::string_view Name;
    std::uint32_t Rgb;
};
std::span<const TNamedColour> NamedColours();

// Names of the options given that the picture type does not use.
std::vector<std::string> IgnoredDrawingOptions(const TCliOptions& options);

// File name extension of each type, with its dot.
const char* PictureExtension(TPictureType type);
const char* PictureTypeName(TPictureType type);

// The --help text, ending in a newline.
std::string UsageText();

} // namespace cli
