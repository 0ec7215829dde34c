#include "cli/options.h"

#include <charconv>
#include <cstddef>
#include <string_view>

namespace cli {

namespace {

enum class TOpt { Version, Level, Mode, Mask, Count, Split, Binary, Pxmag, InputEncoding, Output, Help };

struct TOptionInfo {
    std::string_view Long;
    char Short;  // 0: none
    bool TakesValue;
    TOpt Id;
};

// Short forms follow qrencode where the meaning is the same (-v version, -l level,
// -s module size, -o output).
constexpr TOptionInfo kOptions[] = {
    {"version", 'v', true, TOpt::Version},
    {"level", 'l', true, TOpt::Level},
    {"mode", 0, true, TOpt::Mode},
    {"mask", 0, true, TOpt::Mask},
    {"count", 0, true, TOpt::Count},
    {"split", 0, true, TOpt::Split},
    {"binary", 0, false, TOpt::Binary},
    {"pxmag", 's', true, TOpt::Pxmag},
    {"input-encoding", 0, true, TOpt::InputEncoding},
    {"output", 'o', true, TOpt::Output},
    {"help", 'h', false, TOpt::Help},
};

const TOptionInfo* FindLong(std::string_view name) {
    for (const auto& o : kOptions)
        if (o.Long == name) return &o;
    return nullptr;
}

const TOptionInfo* FindShort(char c) {
    for (const auto& o : kOptions)
        if (o.Short != 0 && o.Short == c) return &o;
    return nullptr;
}

std::optional<int> ParseInt(std::string_view s, int lo, int hi) {
    int v = 0;
    const auto* end = s.data() + s.size();
    const auto [p, ec] = std::from_chars(s.data(), end, v);
    if (s.empty() || ec != std::errc() || p != end || v < lo || v > hi) return std::nullopt;
    return v;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (auto& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Index of word in words (case-insensitive), or -1.
template <std::size_t N>
int Pick(std::string_view value, const std::string_view (&words)[N]) {
    const std::string v = Lower(value);
    for (std::size_t i = 0; i < N; ++i)
        if (v == words[i]) return static_cast<int>(i);
    return -1;
}

std::string Quote(std::string_view s) { return "'" + std::string(s) + "'"; }

// Stores one option's value; returns an error text or "".
// name is the option as the user wrote it, for the message.
std::string Apply(TCliOptions& o, const TOptionInfo& option, const std::string& name, std::string_view value) {
    switch (option.Id) {
    case TOpt::Version: {
        if (Lower(value) == "auto") {
            o.Version = 0;
            return {};
        }
        const auto v = ParseInt(value, 1, 40);
        if (!v) return name + " takes a number 1..40 or auto, not " + Quote(value);
        o.Version = *v;
        return {};
    }
    case TOpt::Level: {
        static constexpr std::string_view kLevels[] = {"l", "m", "q", "h"};
        const int v = Pick(value, kLevels);
        if (v < 0) return name + " takes L, M, Q or H, not " + Quote(value);
        o.Eclevel = v;
        return {};
    }
    case TOpt::Mode: {
        static constexpr std::string_view kModes[] = {"auto", "numeric", "alnum", "byte", "kanji"};
        const int v = Pick(value, kModes);
        if (v < 0) return name + " takes auto, numeric, alnum, byte or kanji, not " + Quote(value);
        o.Emode = v - 1;
        return {};
    }
    case TOpt::Mask: {
        if (Lower(value) == "auto") {
            o.Masktype = -1;
            return {};
        }
        const auto v = ParseInt(value, 0, 7);
        if (!v) return name + " takes a number 0..7 or auto, not " + Quote(value);
        o.Masktype = *v;
        return {};
    }
    case TOpt::Count: {
        const auto v = ParseInt(value, 1, qr::engine::kMaxCount);
        if (!v) return name + " takes a number 1..1024, not " + Quote(value);
        o.Count = *v;
        return {};
    }
    case TOpt::Split: {
        static constexpr std::string_view kSplits[] = {"single", "connect", "plus"};
        const int v = Pick(value, kSplits);
        if (v < 0) return name + " takes single, connect or plus, not " + Quote(value);
        o.Split = static_cast<qr::engine::TQRMode>(v);
        return {};
    }
    case TOpt::Pxmag: {
        const auto v = ParseInt(value, 1, 10);
        if (!v) return name + " takes a number 1..10, not " + Quote(value);
        o.Pxmag = *v;
        return {};
    }
    case TOpt::InputEncoding: {
        static constexpr std::string_view kEncodings[] = {"utf8", "sjis"};
        int v = Pick(value, kEncodings);
        if (Lower(value) == "utf-8") v = 0;
        if (Lower(value) == "shift-jis" || Lower(value) == "cp932") v = 1;
        if (v < 0) return name + " takes utf8 or sjis, not " + Quote(value);
        o.InputEncoding = v == 0 ? TInputEncoding::Utf8 : TInputEncoding::Sjis;
        return {};
    }
    case TOpt::Output:
        if (value.empty()) return name + " needs a file name";
        o.OutputPath = value == "-" ? std::string() : std::string(value);
        return {};
    case TOpt::Binary:
        o.BinaryOperation = true;
        return {};
    case TOpt::Help:
        o.Help = true;
        return {};
    }
    return {};
}

}  // namespace

TParseResult ParseArguments(const std::vector<std::string>& args) {
    TParseResult r;
    auto& o = r.Options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            o.Text.emplace_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        const TOptionInfo* option = nullptr;
        std::optional<std::string_view> value;
        std::string shown;
        if (a.starts_with("--")) {
            const auto eq = a.find('=');
            const auto name = a.substr(2, eq == std::string_view::npos ? std::string_view::npos : eq - 2);
            option = FindLong(name);
            shown = "--" + std::string(name);
            if (option && eq != std::string_view::npos) {
                if (!option->TakesValue) {
                    r.Error = shown + " takes no value";
                    return r;
                }
                value = a.substr(eq + 1);
            }
        } else {
            option = FindShort(a[1]);
            shown = std::string(a.substr(0, 2));
            if (option && a.size() > 2) {
                if (!option->TakesValue) {
                    r.Error = "unknown option " + Quote(a);
                    return r;
                }
                value = a.substr(2);
            }
        }
        if (!option) {
            r.Error = "unknown option " + Quote(shown) + " (see --help)";
            return r;
        }
        if (option->TakesValue && !value) {
            if (i + 1 >= args.size()) {
                r.Error = shown + " needs a value";
                return r;
            }
            value = args[++i];
        }
        r.Error = Apply(o, *option, shown, value.value_or(""));
        if (!r.Error.empty()) return r;
    }
    // A lone "-" is standard input, as for most tools that read text.
    if (o.Text.size() == 1 && o.Text[0] == "-") o.Text.clear();
    o.TextFromStdin = o.Text.empty();
    return r;
}

std::string UsageText() {
    return R"(Usage: varoku-qr [OPTION]... [TEXT]...
Prints QR code symbols of TEXT as PBM text. The words of TEXT are joined with single
spaces; without TEXT (or with a lone -) the text is read from standard input to its
end, line breaks included.

  -v, --version N|auto   symbol version 1..40; auto (default) takes the smallest
                         version at which every symbol fits
  -l, --level L|M|Q|H    error-correction level (default L)
      --mode auto|numeric|alnum|byte|kanji
                         encoding mode (default auto)
      --mask auto|0..7   mask pattern (default auto)
      --count N          number of symbols, 1..1024 (default 1); the text is cut
                         among them and fewer are made for a very short text
      --split single|connect|plus
                         single: one symbol; connect: 2..16 symbols linked by
                         structured append; plus: 2..1024 plain pieces.
                         Counts of 2..16 link the symbols unless plus is chosen;
                         more than 16 are always plain pieces
      --binary           resolve ~hex~ escapes: ~0D0A~ is CR LF, ~~ is one tilde
  -s, --pxmag N          pixels per module, 1..10 (default 1)
      --input-encoding utf8|sjis
                         utf8 (default): convert the text to Shift-JIS (code page
                         932); sjis: take its bytes as they are
  -o, --output FILE      write to FILE instead of standard output (- for it)
  -h, --help             show this help

Exit status: 0 when every symbol was built, 1 when the data does not fit,
2 for a usage or input error. On failure nothing is written.
)";
}

}  // namespace cli
