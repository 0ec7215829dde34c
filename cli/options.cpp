#include "cli/options.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <string_view>

#include "composer/payload.h"

namespace cli {

namespace {

// The colour names of CSS, in their order.
constexpr TNamedColour kNamedColours[] = {
    {"aliceblue", 0xF0F8FF},
    {"antiquewhite", 0xFAEBD7},
    {"aqua", 0x00FFFF},
    {"aquamarine", 0x7FFFD4},
    {"azure", 0xF0FFFF},
    {"beige", 0xF5F5DC},
    {"bisque", 0xFFE4C4},
    {"black", 0x000000},
    {"blanchedalmond", 0xFFEBCD},
    {"blue", 0x0000FF},
    {"blueviolet", 0x8A2BE2},
    {"brown", 0xA52A2A},
    {"burlywood", 0xDEB887},
    {"cadetblue", 0x5F9EA0},
    {"chartreuse", 0x7FFF00},
    {"chocolate", 0xD2691E},
    {"coral", 0xFF7F50},
    {"cornflowerblue", 0x6495ED},
    {"cornsilk", 0xFFF8DC},
    {"crimson", 0xDC143C},
    {"cyan", 0x00FFFF},
    {"darkblue", 0x00008B},
    {"darkcyan", 0x008B8B},
    {"darkgoldenrod", 0xB8860B},
    {"darkgray", 0xA9A9A9},
    {"darkgreen", 0x006400},
    {"darkgrey", 0xA9A9A9},
    {"darkkhaki", 0xBDB76B},
    {"darkmagenta", 0x8B008B},
    {"darkolivegreen", 0x556B2F},
    {"darkorange", 0xFF8C00},
    {"darkorchid", 0x9932CC},
    {"darkred", 0x8B0000},
    {"darksalmon", 0xE9967A},
    {"darkseagreen", 0x8FBC8F},
    {"darkslateblue", 0x483D8B},
    {"darkslategray", 0x2F4F4F},
    {"darkslategrey", 0x2F4F4F},
    {"darkturquoise", 0x00CED1},
    {"darkviolet", 0x9400D3},
    {"deeppink", 0xFF1493},
    {"deepskyblue", 0x00BFFF},
    {"dimgray", 0x696969},
    {"dimgrey", 0x696969},
    {"dodgerblue", 0x1E90FF},
    {"firebrick", 0xB22222},
    {"floralwhite", 0xFFFAF0},
    {"forestgreen", 0x228B22},
    {"fuchsia", 0xFF00FF},
    {"gainsboro", 0xDCDCDC},
    {"ghostwhite", 0xF8F8FF},
    {"gold", 0xFFD700},
    {"goldenrod", 0xDAA520},
    {"gray", 0x808080},
    {"green", 0x008000},
    {"greenyellow", 0xADFF2F},
    {"grey", 0x808080},
    {"honeydew", 0xF0FFF0},
    {"hotpink", 0xFF69B4},
    {"indianred", 0xCD5C5C},
    {"indigo", 0x4B0082},
    {"ivory", 0xFFFFF0},
    {"khaki", 0xF0E68C},
    {"lavender", 0xE6E6FA},
    {"lavenderblush", 0xFFF0F5},
    {"lawngreen", 0x7CFC00},
    {"lemonchiffon", 0xFFFACD},
    {"lightblue", 0xADD8E6},
    {"lightcoral", 0xF08080},
    {"lightcyan", 0xE0FFFF},
    {"lightgoldenrodyellow", 0xFAFAD2},
    {"lightgray", 0xD3D3D3},
    {"lightgreen", 0x90EE90},
    {"lightgrey", 0xD3D3D3},
    {"lightpink", 0xFFB6C1},
    {"lightsalmon", 0xFFA07A},
    {"lightseagreen", 0x20B2AA},
    {"lightskyblue", 0x87CEFA},
    {"lightslategray", 0x778899},
    {"lightslategrey", 0x778899},
    {"lightsteelblue", 0xB0C4DE},
    {"lightyellow", 0xFFFFE0},
    {"lime", 0x00FF00},
    {"limegreen", 0x32CD32},
    {"linen", 0xFAF0E6},
    {"magenta", 0xFF00FF},
    {"maroon", 0x800000},
    {"mediumaquamarine", 0x66CDAA},
    {"mediumblue", 0x0000CD},
    {"mediumorchid", 0xBA55D3},
    {"mediumpurple", 0x9370DB},
    {"mediumseagreen", 0x3CB371},
    {"mediumslateblue", 0x7B68EE},
    {"mediumspringgreen", 0x00FA9A},
    {"mediumturquoise", 0x48D1CC},
    {"mediumvioletred", 0xC71585},
    {"midnightblue", 0x191970},
    {"mintcream", 0xF5FFFA},
    {"mistyrose", 0xFFE4E1},
    {"moccasin", 0xFFE4B5},
    {"navajowhite", 0xFFDEAD},
    {"navy", 0x000080},
    {"oldlace", 0xFDF5E6},
    {"olive", 0x808000},
    {"olivedrab", 0x6B8E23},
    {"orange", 0xFFA500},
    {"orangered", 0xFF4500},
    {"orchid", 0xDA70D6},
    {"palegoldenrod", 0xEEE8AA},
    {"palegreen", 0x98FB98},
    {"paleturquoise", 0xAFEEEE},
    {"palevioletred", 0xDB7093},
    {"papayawhip", 0xFFEFD5},
    {"peachpuff", 0xFFDAB9},
    {"peru", 0xCD853F},
    {"pink", 0xFFC0CB},
    {"plum", 0xDDA0DD},
    {"powderblue", 0xB0E0E6},
    {"purple", 0x800080},
    {"rebeccapurple", 0x663399},
    {"red", 0xFF0000},
    {"rosybrown", 0xBC8F8F},
    {"royalblue", 0x4169E1},
    {"saddlebrown", 0x8B4513},
    {"salmon", 0xFA8072},
    {"sandybrown", 0xF4A460},
    {"seagreen", 0x2E8B57},
    {"seashell", 0xFFF5EE},
    {"sienna", 0xA0522D},
    {"silver", 0xC0C0C0},
    {"skyblue", 0x87CEEB},
    {"slateblue", 0x6A5ACD},
    {"slategray", 0x708090},
    {"slategrey", 0x708090},
    {"snow", 0xFFFAFA},
    {"springgreen", 0x00FF7F},
    {"steelblue", 0x4682B4},
    {"tan", 0xD2B48C},
    {"teal", 0x008080},
    {"thistle", 0xD8BFD8},
    {"tomato", 0xFF6347},
    {"turquoise", 0x40E0D0},
    {"violet", 0xEE82EE},
    {"wheat", 0xF5DEB3},
    {"white", 0xFFFFFF},
    {"whitesmoke", 0xF5F5F5},
    {"yellow", 0xFFFF00},
    {"yellowgreen", 0x9ACD32},
};

enum class TOpt {
    Jobs,
    Version,
    Level,
    Mode,
    Mask,
    Segments,
    Count,
    Split,
    Binary,
    Pxmag,
    Eci,
    InputEncoding,
    Encoding,
    Boost,
    NoBoost,
    Verbose,
    Margin,
    Dpi,
    SvgTitle,
    SvgDesc,
    Output,
    ReadFrom,
    Type,
    Columns,
    Angle,
    Mirror,
    Fg,
    Bg,
    CommentUp,
    CommentDown,
    CommentLoc,
    Numbering,
    Invert,
    PrintPayload,
    Carrier,
    To,
    Subject,
    SubjectFromBody,
    SubjectHello,
    Body,
    Family,
    Given,
    FamilyKana,
    GivenKana,
    Tel1,
    Tel2,
    Mail1,
    Mail2,
    Memo,
    Title,
    Url,
    ProgramVersion,
    AllowEmpty,
    Verify,
    Help
};

// Which commands take an option.
enum : unsigned {
    kText = 1u << static_cast<int>(TCommand::Text),
    kMail = 1u << static_cast<int>(TCommand::Mail),
    kCard = 1u << static_cast<int>(TCommand::Card),
    kBookmark = 1u << static_cast<int>(TCommand::Bookmark),
    kBatch = 1u << static_cast<int>(TCommand::Batch),
    kPayloads = kMail | kCard | kBookmark,
    kAll = kText | kPayloads | kBatch,
};

struct TOptionInfo {
    std::string_view Long;
    char Short; // 0: none
    bool TakesValue;
    TOpt Id;
    unsigned Commands;
    bool Drawing = false; // a drawing option, which some picture types ignore
};

// Short forms and names follow qrencode where the meaning is the same (-v version, -l
// level, -s module size, -o output, -t type, -r input file, -V program version) and
// zint for --mask, --rotate, --fg and --bg.
constexpr TOptionInfo kOptions[] = {
    {"version", 'v', true, TOpt::Version, kAll},
    {"level", 'l', true, TOpt::Level, kAll},
    {"mode", 0, true, TOpt::Mode, kText | kBatch},
    {"mask", 0, true, TOpt::Mask, kAll},
    {"segments", 0, true, TOpt::Segments, kAll},
    {"count", 0, true, TOpt::Count, kText | kBatch},
    {"split", 0, true, TOpt::Split, kText | kBatch},
    {"eci", 0, true, TOpt::Eci, kAll},
    {"binary", 0, false, TOpt::Binary, kText | kBatch},
    {"pxmag", 's', true, TOpt::Pxmag, kAll, true},
    {"input-encoding", 0, true, TOpt::InputEncoding, kText | kBatch},
    {"encoding", 0, true, TOpt::Encoding, kText | kBatch},
    {"boost", 0, false, TOpt::Boost, kAll},
    {"no-boost", 0, false, TOpt::NoBoost, kAll},
    {"verbose", 0, false, TOpt::Verbose, kText | kPayloads},
    {"margin", 'm', true, TOpt::Margin, kAll, true},
    {"dpi", 0, true, TOpt::Dpi, kAll, true},
    {"svg-title", 0, true, TOpt::SvgTitle, kAll, true},
    {"svg-desc", 0, true, TOpt::SvgDesc, kAll, true},
    {"output", 'o', true, TOpt::Output, kAll},
    {"read-from", 'r', true, TOpt::ReadFrom, kText},
    {"type", 't', true, TOpt::Type, kAll},
    {"columns", 0, true, TOpt::Columns, kAll, true},
    {"angle", 0, true, TOpt::Angle, kAll, true},
    {"rotate", 0, true, TOpt::Angle, kAll, true},
    {"mirror", 0, false, TOpt::Mirror, kAll, true},
    {"fg", 0, true, TOpt::Fg, kAll, true},
    {"bg", 0, true, TOpt::Bg, kAll, true},
    {"comment-up", 0, true, TOpt::CommentUp, kAll, true},
    {"comment-down", 0, true, TOpt::CommentDown, kAll, true},
    {"comment-loc", 0, true, TOpt::CommentLoc, kAll, true},
    {"numbering", 0, true, TOpt::Numbering, kAll, true},
    {"invert", 0, false, TOpt::Invert, kAll, true},
    {"print-payload", 0, false, TOpt::PrintPayload, kPayloads},
    {"carrier", 0, true, TOpt::Carrier, kPayloads},
    {"to", 0, true, TOpt::To, kMail},
    {"subject", 0, true, TOpt::Subject, kMail},
    {"subject-from-body", 0, false, TOpt::SubjectFromBody, kMail},
    {"subject-hello", 0, false, TOpt::SubjectHello, kMail},
    {"body", 0, true, TOpt::Body, kMail},
    {"family", 0, true, TOpt::Family, kCard},
    {"given", 0, true, TOpt::Given, kCard},
    {"family-kana", 0, true, TOpt::FamilyKana, kCard},
    {"given-kana", 0, true, TOpt::GivenKana, kCard},
    {"tel", 0, true, TOpt::Tel1, kCard},
    {"tel2", 0, true, TOpt::Tel2, kCard},
    {"mail", 0, true, TOpt::Mail1, kCard},
    {"mail2", 0, true, TOpt::Mail2, kCard},
    {"memo", 0, true, TOpt::Memo, kCard},
    {"title", 0, true, TOpt::Title, kBookmark},
    {"url", 0, true, TOpt::Url, kBookmark},
    {"jobs", 'j', true, TOpt::Jobs, kBatch},
    {"allow-empty", 0, false, TOpt::AllowEmpty, kText},
    {"verify", 0, false, TOpt::Verify, kAll},
    {"program-version", 'V', false, TOpt::ProgramVersion, kAll},
    {"help", 'h', false, TOpt::Help, kAll},
};

constexpr std::string_view kCommandNames[] = {"", "mail", "card", "bookmark", "batch"};

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
template <std::size_t N> int Pick(std::string_view value, const std::string_view (&words)[N]) {
    const std::string v = Lower(value);
    for (std::size_t i = 0; i < N; ++i)
        if (v == words[i]) return static_cast<int>(i);
    return -1;
}

std::string Quote(std::string_view s) {
    return "'" + std::string(s) + "'";
}

struct TColour {
    std::uint32_t Rgb = 0;
    std::uint8_t Alpha = 0xFF;
};

// "#rrggbb" or "rrggbb" as colour pickers and zint write them, "#rrggbbaa" with
// opacity as qrencode and CSS do, a CSS colour name, or "transparent".
std::optional<TColour> ParseColour(std::string_view s) {
    const std::string name = Lower(s);
    if (name == "transparent") return TColour{0xFFFFFF, 0};
    for (const auto& c : NamedColours())
        if (c.Name == name) return TColour{c.Rgb, 0xFF};
    if (s.starts_with('#')) s.remove_prefix(1);
    if (s.size() != 6 && s.size() != 8) return std::nullopt;
    std::uint32_t v = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    if (s.size() == 6) return TColour{v, 0xFF};
    return TColour{v >> 8, static_cast<std::uint8_t>(v & 0xFF)};
}

// Stores one option's value; returns an error text or "".
// name is the option as the user wrote it, for the message.
std::string Apply(TCliOptions& o, const TOptionInfo& option, const std::string& name,
                  std::string_view value) {
    auto& s = o.Symbols;
    auto& d = o.Drawing;
    auto& f = o.Fields;
    switch (option.Id) {
    case TOpt::Version: {
        if (Lower(value) == "auto") {
            s.Version = 0;
            return {};
        }
        const auto v = ParseInt(value, 1, 40);
        if (!v) return name + " takes a number 1..40 or auto, not " + Quote(value);
        s.Version = *v;
        return {};
    }
    case TOpt::Level: {
        static constexpr std::string_view kLevels[] = {"l", "m", "q", "h"};
        const int v = Pick(value, kLevels);
        if (v < 0) return name + " takes L, M, Q or H, not " + Quote(value);
        s.Eclevel = v;
        return {};
    }
    case TOpt::Mode: {
        static constexpr std::string_view kModes[] = {"auto", "numeric", "alnum", "byte", "kanji"};
        const int v = Pick(value, kModes);
        if (v < 0) return name + " takes auto, numeric, alnum, byte or kanji, not " + Quote(value);
        s.Emode = v - 1;
        return {};
    }
    case TOpt::Eci: {
        const std::string v = Lower(value);
        if (v == "auto" || v == "none") {
            s.Eci = v == "auto" ? qr::engine::kEciAuto : qr::engine::kEciNone;
            return {};
        }
        const auto n = ParseInt(value, 0, qr::engine::kMaxEci);
        if (!n) return name + " takes auto, none or a number 0..999999, not " + Quote(value);
        s.Eci = *n;
        return {};
    }
    case TOpt::Mask: {
        if (Lower(value) == "auto") {
            s.Masktype = -1;
            return {};
        }
        const auto v = ParseInt(value, 0, 7);
        if (!v) return name + " takes a number 0..7 or auto, not " + Quote(value);
        s.Masktype = *v;
        return {};
    }
    case TOpt::Segments: {
        static constexpr std::string_view kRules[] = {"greedy", "optimal"};
        const int v = Pick(value, kRules);
        if (v < 0) return name + " takes optimal or greedy, not " + Quote(value);
        s.Segments = static_cast<qr::engine::TQRSegments>(v);
        o.SegmentsGiven = true;
        return {};
    }
    case TOpt::Count: {
        if (Lower(value) == "auto") {
            s.CountAuto = true;
            s.Count.reset();
            return {};
        }
        const auto v = ParseInt(value, 1, qr::engine::kMaxCount);
        if (!v) return name + " takes a number 1..1024 or auto, not " + Quote(value);
        s.Count = *v;
        s.CountAuto = false;
        return {};
    }
    case TOpt::Split: {
        static constexpr std::string_view kSplits[] = {"single", "connect", "plus"};
        const int v = Pick(value, kSplits);
        if (v < 0) return name + " takes single, connect or plus, not " + Quote(value);
        s.Mode = static_cast<qr::engine::TQRMode>(v);
        return {};
    }
    case TOpt::Jobs: {
        const auto v = ParseInt(value, 1, 1024);
        if (!v) return name + " takes a number 1..1024, not " + Quote(value);
        o.Jobs = *v;
        return {};
    }
    case TOpt::Pxmag: {
        const auto v = ParseInt(value, 1, kMaxScale);
        if (!v) return name + " takes a number 1..100, not " + Quote(value);
        d.Scale = *v;
        s.Pxmag = std::min(*v, kComponentMaxPxmag);
        o.PxmagGiven = true;
        return {};
    }
    case TOpt::Encoding: {
        static constexpr std::string_view kEncodings[] = {"auto", "sjis", "utf8"};
        int v = Pick(value, kEncodings);
        if (Lower(value) == "utf-8") v = 2;
        if (Lower(value) == "shift-jis" || Lower(value) == "cp932") v = 1;
        if (v < 0) return name + " takes auto, sjis or utf8, not " + Quote(value);
        o.Encoding = static_cast<TTextEncoding>(v);
        return {};
    }
    case TOpt::Boost:
    case TOpt::NoBoost:
        o.Boost = option.Id == TOpt::Boost;
        return {};
    case TOpt::Verbose:
        o.Verbose = true;
        return {};
    case TOpt::Margin: {
        const auto v = ParseInt(value, 0, kMaxMargin);
        if (!v) return name + " takes a number 0..100, not " + Quote(value);
        d.Margin = *v;
        return {};
    }
    case TOpt::Dpi: {
        const auto v = ParseInt(value, 1, kMaxDpi);
        if (!v) return name + " takes a number 1..100000, not " + Quote(value);
        d.Dpi = *v;
        return {};
    }
    case TOpt::SvgTitle:
        d.SvgTitle = std::string(value);
        return {};
    case TOpt::SvgDesc:
        d.SvgDesc = std::string(value);
        return {};
    case TOpt::InputEncoding: {
        static constexpr std::string_view kEncodings[] = {"utf8", "sjis"};
        int v = Pick(value, kEncodings);
        if (Lower(value) == "utf-8") v = 0;
        if (Lower(value) == "shift-jis" || Lower(value) == "cp932") v = 1;
        if (v < 0) return name + " takes utf8 or sjis, not " + Quote(value);
        o.InputEncoding = v == 0 ? TInputEncoding::Utf8 : TInputEncoding::ShiftJis;
        return {};
    }
    case TOpt::Output:
        if (value.empty()) return name + " needs a file name";
        o.OutputPath = value == "-" ? std::string() : std::string(value);
        return {};
    case TOpt::ReadFrom:
        if (value.empty()) return name + " needs a file name";
        o.ReadPath = value;
        return {};
    case TOpt::Type: {
        static constexpr std::string_view kTypes[] = {"pbm",  "png",      "svg", "pdf",
                                                      "utf8", "pbm-text", "eps"};
        const int v = Pick(value, kTypes);
        if (v < 0)
            return name + " takes pbm, png, svg, pdf, eps, utf8 or pbm-text, not " + Quote(value);
        o.Type = static_cast<TPictureType>(v);
        return {};
    }
    case TOpt::Columns: {
        const auto v = ParseInt(value, 1, qr::engine::kMaxCount);
        if (!v) return name + " takes a number 1..1024, not " + Quote(value);
        d.Column = *v;
        return {};
    }
    case TOpt::Angle: {
        const auto v = ParseInt(value, 0, 270);
        if (!v || *v % 90 != 0) return name + " takes 0, 90, 180 or 270, not " + Quote(value);
        d.Angle = *v;
        return {};
    }
    case TOpt::Mirror:
        d.Mirror = true;
        return {};
    case TOpt::Fg:
    case TOpt::Bg: {
        const auto v = ParseColour(value);
        if (!v)
            return name + " takes a colour as #rrggbb, #rrggbbaa, a CSS name or transparent, not " +
                   Quote(value);
        (option.Id == TOpt::Fg ? d.Foreground : d.Background) = v->Rgb;
        (option.Id == TOpt::Fg ? d.ForegroundAlpha : d.BackgroundAlpha) = v->Alpha;
        return {};
    }
    case TOpt::CommentUp:
        d.CommentUp = std::string(value);
        return {};
    case TOpt::CommentDown:
        d.CommentDown = std::string(value);
        return {};
    case TOpt::CommentLoc: {
        static constexpr std::string_view kLocs[] = {"left", "center", "right"};
        int v = Pick(value, kLocs);
        if (Lower(value) == "centre") v = 1;
        if (v < 0) return name + " takes left, center or right, not " + Quote(value);
        d.CommentLoc = v;
        return {};
    }
    case TOpt::Numbering: {
        static constexpr std::string_view kNumberings[] = {"none", "head", "tail", "ifvoid"};
        const int v = Pick(value, kNumberings);
        if (v < 0) return name + " takes none, head, tail or ifvoid, not " + Quote(value);
        d.Numbering = v;
        return {};
    }
    case TOpt::AllowEmpty:
        o.AllowEmpty = true;
        return {};
    case TOpt::Verify:
        o.Verify = true;
        return {};
    case TOpt::Invert:
        d.Invert = true;
        return {};
    case TOpt::PrintPayload:
        o.PrintPayload = true;
        return {};
    case TOpt::Carrier: {
        static constexpr std::string_view kCarriers[] = {"docomo", "softbank", "au", "smartphone"};
        const int v = Pick(value, kCarriers);
        if (v < 0) return name + " takes docomo, softbank, au or smartphone, not " + Quote(value);
        f.Carrier = v;
        return {};
    }
    case TOpt::Subject:
    case TOpt::SubjectFromBody:
    case TOpt::SubjectHello: {
        const int v = option.Id == TOpt::Subject           ? composer::soKeep
                      : option.Id == TOpt::SubjectFromBody ? composer::soFromBody
                                                           : composer::soHello;
        if (f.SubjectChosen && f.SubjectOption != v)
            return "--subject, --subject-from-body and --subject-hello exclude each other";
        f.SubjectChosen = true;
        f.SubjectOption = v;
        if (option.Id == TOpt::Subject) f.Subject = value;
        return {};
    }
    case TOpt::To:
        f.To = value;
        return {};
    case TOpt::Body:
        f.Body = std::string(value);
        return {};
    case TOpt::Family:
        f.FamilyName = value;
        return {};
    case TOpt::Given:
        f.GivenName = value;
        return {};
    case TOpt::FamilyKana:
        f.FamilyKana = value;
        return {};
    case TOpt::GivenKana:
        f.GivenKana = value;
        return {};
    case TOpt::Tel1:
        f.Tel1 = value;
        return {};
    case TOpt::Tel2:
        f.Tel2 = value;
        return {};
    case TOpt::Mail1:
        f.Mail1 = value;
        return {};
    case TOpt::Mail2:
        f.Mail2 = value;
        return {};
    case TOpt::Memo:
        f.Memo = value;
        return {};
    case TOpt::Title:
        f.Title = value;
        return {};
    case TOpt::Url:
        f.Url = value;
        return {};
    case TOpt::Binary:
        s.BinaryOperation = true;
        return {};
    case TOpt::ProgramVersion:
        o.ProgramVersion = true;
        return {};
    case TOpt::Help:
        o.Help = true;
        return {};
    }
    return {};
}

// Checks made once the whole line is read.
std::string Finish(TCliOptions& o) {
    const bool payload = o.Command == TCommand::Mail || o.Command == TCommand::Card ||
                         o.Command == TCommand::Bookmark;
    const std::string command(kCommandNames[static_cast<int>(o.Command)]);
    if (payload && !o.Text.empty())
        return "unexpected argument " + Quote(o.Text.front()) + " (the " + command +
               " command takes its fields as options; see --help)";
    if (o.Command == TCommand::Batch) {
        if (o.Text.size() != 1) return "batch takes one FILE of texts (- for standard input)";
        o.BatchFile = o.Text.front();
        o.Text.clear();
        if (o.OutputPath.empty()) return "batch needs -o DIR, the folder for its pictures";
    }
    if (o.Command == TCommand::Text) {
        // A lone "-" is standard input, as for most tools that read text.
        if (o.Text.size() == 1 && o.Text[0] == "-") o.Text.clear();
        if (!o.ReadPath.empty() && !o.Text.empty())
            return "-r reads the text from a file; give no TEXT with it";
    }
    o.TextFromStdin = o.Text.empty() && o.ReadPath.empty();
    if (o.Symbols.CountAuto) {
        if (o.Symbols.Version == 0)
            return "--count auto needs a fixed --version (1..40): it chooses the fewest symbols "
                   "of that version";
        if (o.Symbols.Mode == qr::engine::qrSingle)
            return "--count auto and --split single exclude each other";
    }
    if (o.Command == TCommand::Mail || o.Command == TCommand::Card ||
        o.Command == TCommand::Bookmark) {
        o.Symbols.PhonePlan = o.Fields.Carrier == composer::crSmartphone;
        // The carriers' symbols stay the window's, cut by its greedy rule.
        if (!o.Symbols.PhonePlan && !o.SegmentsGiven) o.Symbols.Segments = qr::engine::sgGreedy;
    }
    if (o.InputEncoding == TInputEncoding::ShiftJis && o.Encoding == TTextEncoding::Utf8)
        return "--encoding utf8 writes UTF-8 text, so it needs UTF-8 input, not --input-encoding "
               "sjis";
    const int eci = o.Symbols.Eci;
    if (o.Encoding == TTextEncoding::Utf8 && eci >= 0 && eci != qr::engine::kEciUtf8)
        return "--encoding utf8 is announced as ECI 26; --eci " + std::to_string(eci) +
               " would tell readers another character set";
    if (o.Encoding == TTextEncoding::ShiftJis && eci == qr::engine::kEciUtf8)
        return "--eci 26 announces UTF-8, which --encoding sjis does not write";
    // As segno and zint do: spare room at the version chosen buys protection. The
    // smartphone plan chooses its own level.
    if (!o.Boost) o.Boost = o.Symbols.Version == 0 && !o.Symbols.PhonePlan;
    o.Symbols.Boost = *o.Boost;
    return {};
}

} // namespace

TParseResult ParseArguments(const std::vector<std::string>& args) {
    TParseResult r;
    auto& o = r.Options;
    std::size_t first = 0;
    if (!args.empty()) {
        for (int c = 1; c < static_cast<int>(std::size(kCommandNames)); ++c)
            if (args[0] == kCommandNames[c]) {
                o.Command = static_cast<TCommand>(c);
                first = 1;
            }
    }
    const bool payload = o.Command == TCommand::Mail || o.Command == TCommand::Card ||
                         o.Command == TCommand::Bookmark;
    // The window's symbols: version 10 (Pxmag follows the picture type, see ResolvePicture).
    if (payload) o.Symbols.Version = composer::kComposerVersion;
    o.Drawing.Column = composer::kComposerColumn;

    bool optionsEnded = false;
    for (std::size_t i = first; i < args.size(); ++i) {
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
            const auto name =
                a.substr(2, eq == std::string_view::npos ? std::string_view::npos : eq - 2);
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
        if ((option->Commands & (1u << static_cast<int>(o.Command))) == 0) {
            const std::string_view command = kCommandNames[static_cast<int>(o.Command)];
            r.Error = shown +
                      (command.empty() ? std::string(" belongs to a command")
                                       : " is not an option of " + std::string(command)) +
                      " (see --help)";
            return r;
        }
        if (option->TakesValue && !value) {
            if (i + 1 >= args.size()) {
                r.Error = shown + " needs a value";
                // qrencode's -V and other tools' --version print the program's version.
                if (option->Id == TOpt::Version)
                    r.Error += " (the symbol version 1..40 or auto); the program's own version "
                               "is -V, --program-version";
                return r;
            }
            value = args[++i];
        }
        r.Error = Apply(o, *option, shown, value.value_or(""));
        if (!r.Error.empty()) return r;
        if (option->Drawing && std::find(o.DrawingGiven.begin(), o.DrawingGiven.end(),
                                         "--" + std::string(option->Long)) == o.DrawingGiven.end())
            o.DrawingGiven.push_back("--" + std::string(option->Long));
    }
    if (!o.Help && !o.ProgramVersion) r.Error = Finish(o);
    return r;
}

bool HasCaptions(const TDrawing& drawing) {
    return drawing.CommentUp || drawing.CommentDown || drawing.Numbering != 0;
}

bool DrawnByComponent(const TCliOptions& o) {
    const TPictureType type = *o.Type;
    return (type == TPictureType::Png || type == TPictureType::Svg || type == TPictureType::Pdf) &&
           HasCaptions(o.Drawing);
}

std::span<const TNamedColour> NamedColours() {
    return kNamedColours;
}

namespace {

// The extension of the file name's last part, lower case with its dot; "" for none.
std::string Extension(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    return Lower(name.substr(dot));
}

// The refusal of what a picture of the component or the engine's PBM text cannot do.
std::string BeyondComponent(const TCliOptions& o) {
    const TPictureType type = *o.Type;
    if (type != TPictureType::PbmText && !DrawnByComponent(o)) return {};
    const std::string what = type == TPictureType::PbmText
                                 ? "the component's PBM text (pbm-text)"
                                 : std::string("a ") + PictureTypeName(type) +
                                       " picture with captions, which the desktop component "
                                       "draws,";
    const TDrawing& d = o.Drawing;
    if (d.Scale > kComponentMaxPxmag)
        return "--pxmag " + std::to_string(d.Scale) + " is beyond " + what +
               " which takes 1..10 (up to 100 without captions)";
    if (d.Margin != qr::engine::kQuietZone)
        return "--margin " + std::to_string(d.Margin) + " is beyond " + what +
               " which keeps a quiet zone of 4 modules";
    if (d.ForegroundAlpha != 0xFF || d.BackgroundAlpha != 0xFF)
        return "a transparent colour is beyond " + what + " which draws opaque colours only";
    return {};
}

} // namespace

std::string ResolvePicture(TCliOptions& o, bool stdoutIsTerminal) {
    if (!o.Type) {
        o.Type = o.Command != TCommand::Batch && o.OutputPath.empty() && stdoutIsTerminal
                     ? TPictureType::Utf8
                     : TPictureType::Pbm;
        // A name without an extension has always been PBM; one we do not write is refused
        // rather than filled with something else.
        const std::string extension = Extension(o.OutputPath);
        if (o.Command != TCommand::Batch && !extension.empty()) {
            bool known = false;
            for (auto t : {TPictureType::Pbm, TPictureType::Png, TPictureType::Svg,
                           TPictureType::Pdf, TPictureType::Eps, TPictureType::Utf8})
                if (extension == PictureExtension(t)) {
                    o.Type = t;
                    known = true;
                }
            if (!known)
                return "-o " + o.OutputPath + ": " + extension +
                       " is no picture type varoku-qr writes; name the file .pbm, .png, .svg, "
                       ".pdf, .eps or .txt (utf8), or give -t";
        }
    }
    if (!o.PxmagGiven) {
        const bool plain = o.Command == TCommand::Text || o.Command == TCommand::Batch;
        // The first varoku-qr printed PBM at one pixel per module; scripts rely on that.
        const bool pbm = *o.Type == TPictureType::Pbm || *o.Type == TPictureType::PbmText;
        o.Symbols.Pxmag = plain && pbm ? 1 : composer::kComposerPxmag;
        o.Drawing.Scale = o.Symbols.Pxmag;
    }
    if (auto beyond = BeyondComponent(o); !beyond.empty()) return beyond;
    if (o.OutputPath.empty() && stdoutIsTerminal && !o.PrintPayload &&
        (*o.Type == TPictureType::Png || *o.Type == TPictureType::Pdf))
        return std::string("will not write a ") + PictureTypeName(*o.Type) +
               " picture to a terminal; use -o FILE (or -t utf8 to look at it here)";
    return {};
}

std::vector<std::string> IgnoredDrawingOptions(const TCliOptions& o) {
    std::vector<std::string> ignored;
    if (o.PrintPayload || !o.Type) return ignored;
    for (const auto& name : o.DrawingGiven) {
        bool used = true;
        const bool svgText = name == "--svg-title" || name == "--svg-desc";
        const bool caption = name == "--comment-up" || name == "--comment-down" ||
                             name == "--comment-loc" || name == "--numbering";
        switch (*o.Type) {
        case TPictureType::Pbm:
            used = name == "--pxmag" || name == "--margin";
            break;
        case TPictureType::PbmText:
            used = name == "--pxmag";
            break;
        case TPictureType::Utf8:
            used = name == "--angle" || name == "--rotate" || name == "--mirror" ||
                   name == "--invert" || name == "--margin";
            break;
        case TPictureType::Svg:
            used = name != "--invert";
            break;
        case TPictureType::Eps:
            used = name != "--invert" && !svgText && !caption;
            break;
        case TPictureType::Pdf:
            used = name != "--invert" && !svgText;
            break;
        default:
            used = name != "--invert" && !svgText;
            break;
        }
        if (!used) ignored.push_back(name);
    }
    return ignored;
}

const char* PictureExtension(TPictureType type) {
    switch (type) {
    case TPictureType::Pbm:
    case TPictureType::PbmText:
        return ".pbm";
    case TPictureType::Png:
        return ".png";
    case TPictureType::Svg:
        return ".svg";
    case TPictureType::Pdf:
        return ".pdf";
    case TPictureType::Utf8:
        return ".txt";
    case TPictureType::Eps:
        return ".eps";
    }
    return "";
}

const char* PictureTypeName(TPictureType type) {
    switch (type) {
    case TPictureType::Pbm:
        return "PBM";
    case TPictureType::Png:
        return "PNG";
    case TPictureType::Svg:
        return "SVG";
    case TPictureType::Pdf:
        return "PDF";
    case TPictureType::Utf8:
        return "utf8";
    case TPictureType::PbmText:
        return "PBM text";
    case TPictureType::Eps:
        return "EPS";
    }
    return "";
}

std::string UsageText() {
    return R"(Usage: varoku-qr [OPTION]... [TEXT]...
       varoku-qr mail --to ADDR --body TEXT|- [OPTION]...
       varoku-qr card --family NAME --given NAME ... [OPTION]...
       varoku-qr bookmark --title TITLE --url URL [OPTION]...
       varoku-qr batch FILE -o DIR [OPTION]...
Makes the QR code symbols of TEXT. The words of TEXT are joined with single spaces;
without TEXT (or with a lone -) the text is read from standard input to its end, line
breaks included. Use -- before a TEXT that starts with - or is a command's name.

Symbols:
  -v, --version N|auto   symbol version 1..40; auto (default for TEXT and batch) takes
                         the smallest version at which every symbol fits; 10 for mail,
                         card and bookmark
  -l, --level L|M|Q|H    error-correction level (default L; see --boost)
      --boost, --no-boost
                         raise the level as far as the version chosen still
                         holds the text (default: on with --version auto, off
                         with a fixed version)
      --mode auto|numeric|alnum|byte|kanji
                         encoding mode (default auto)
      --mask auto|0..7   mask pattern (default auto)
      --segments optimal|greedy
                         how automatic mode cuts the text into numeric,
                         alphanumeric, byte and Kanji segments: optimal (default)
                         spends the fewest bits; greedy is the desktop program's
                         rule, the default of the docomo, softbank and au payloads
      --count N|auto     number of symbols, 1..1024 (default 1); the text is cut among
                         them and fewer are made for a very short text. auto, with a
                         fixed --version, takes the fewest symbols that carry the text:
                         one, else 2..16 linked (2..1024 pieces with --split plus)
      --split single|connect|plus
                         single: one symbol; connect: 2..16 symbols linked by
                         structured append; plus: 2..1024 plain pieces.
                         Counts of 2..16 link the symbols unless plus is chosen;
                         more than 16 are always plain pieces
      --eci auto|none|N  character set announced in each symbol (ECI): auto
                         (default) announces Shift-JIS (20) in symbols whose byte
                         segments hold non-ASCII bytes, so that readers do not take
                         them for Latin-1; none writes no ECI; N (0..999999) is
                         written in every symbol, and any other than 20 keeps Kanji
                         mode out; under --encoding auto, 26 makes the text UTF-8
                         and any other keeps it Shift-JIS
      --binary           resolve ~hex~ escapes: ~0D0A~ is CR LF, ~~ is one tilde
      --encoding auto|sjis|utf8
                         the character set the symbols carry: sjis writes
                         Shift-JIS (code page 932) and refuses a character without
                         a form there; utf8 writes UTF-8 announced by ECI 26; auto
                         (default) writes Shift-JIS, but UTF-8 with ECI 26 when the
                         text has a character phones cannot read in Shift-JIS
                         (emoji, 𠮷, 髙, ①) where sjis would refuse or garble it
      --input-encoding utf8|sjis
                         what the input bytes are: utf8 (default) is converted as
                         --encoding says; sjis is Shift-JIS, taken as it is
  -r, --read-from FILE   read the text from FILE
      --allow-empty      make a symbol of an empty text (refused otherwise, as a
                         code of nothing is most likely a mistake)
      --verbose          tell on standard error what was built: version, level,
                         mask, the segments with their modes and bits, and the
                         data bits used of those the symbol holds (not for batch)

Pictures:
  -t, --type pbm|png|svg|pdf|eps|utf8|pbm-text
                         picture type (default: from the extension of -o, .txt for
                         utf8, an extension not listed here refused; else utf8
                         when standard output is a terminal, pbm otherwise; pbm for
                         batch). pbm: a raw Netpbm bitmap (P4) per symbol, one after
                         the other in the same file, as Netpbm allows; pbm-text: the
                         desktop component's PBM text (P1 with its mode line); utf8
                         previews the symbols in a terminal
  -o, --output FILE      write to FILE instead of standard output (- for it)
      --verify           read each picture back as a phone's reader does before it
                         is written, and write nothing (exit 1) when it does not
                         give back the text: PNG from its own pixels, the other
                         types from the modules they are drawn from;
                         VAROKU_QR_VERIFY=1 in the environment turns it on
  -s, --pxmag N          pixels per module, 1..100 (default 2; 1 for TEXT or batch as
                         pbm); 1..10 for what the component draws (pictures with
                         captions, pbm-text)
  -m, --margin N         quiet zone round each symbol in modules, 0..100 (default
                         4; the component's pictures keep 4)
      --dpi N            resolution, 1..100000: written into a PNG (pHYs); an SVG,
                         PDF or EPS is sized at N pixels to the inch (else SVG and
                         PDF at 96, EPS at 72, as a point)
      --columns N        symbols side by side, 1..1024 (default 4)
      --angle, --rotate 0|90|180|270
                         turn the picture clockwise (default 0)
      --mirror           mirror the picture left to right (default off)
      --fg COLOUR        colour of the dark modules and captions (default #000000)
      --bg COLOUR        colour of the background (default #ffffff). A COLOUR is
                         #rrggbb, #rrggbbaa (aa the opacity, 00 transparent), a CSS
                         name (navy, rebeccapurple) or transparent; transparency
                         is for png, svg and pdf without captions (eps: a
                         transparent background only)
      --svg-title TEXT   title of an SVG picture (default "QR code")
      --svg-desc TEXT    description of an SVG picture (default none)
      --comment-up TEXT  caption above each symbol (default none)
      --comment-down TEXT
                         caption below each symbol (default none)
      --comment-loc left|center|right
                         where captions stand in their cell (default left)
      --numbering none|head|tail|ifvoid
                         number both captions of each symbol of a set: before or
                         after the text, or in place of an empty one; head and tail
                         also number an empty caption (default none)
      --invert           utf8 for a dark terminal: light modules drawn (default off)
  Drawing options apply to png, svg and pdf; eps takes them but captions; utf8
  follows --angle, --mirror, --margin and --invert; pbm --pxmag and --margin;
  pbm-text only --pxmag. Pictures with captions or numbering are the desktop
  component's; the others are drawn without loading Qt, a png pixel for pixel as
  the component draws it.

Payloads, built as the desktop program's "作成" builds them (version 10, 2 pixels
per module, 4 columns, automatic mode, level L, linked symbols when the payload's
length asks for 2..4):
  --carrier docomo|softbank|au|smartphone (default docomo)
            smartphone: for the phones people carry now. One symbol at the
            smallest version (level M, else L; linked only beyond version 40),
            mail and card as MATMSG and MECARD with line breaks kept, readings in
            full-width katakana, a bookmark as the URL alone; characters that
            Shift-JIS phones cannot show (emoji, 𠮷, ①) go as UTF-8 (ECI 26).
            The other carriers refuse characters outside JIS X 0208.
  mail      --to ADDR  --subject TEXT | --subject-from-body | --subject-hello
            --body TEXT|-  (- reads standard input, without its last line break)
            The count follows the payload's length. Without an address that has
            both "@" and "." the code carries the body alone.
  card      --family NAME  --given NAME  --family-kana KANA  --given-kana KANA
            --tel NUMBER  --tel2 NUMBER  --mail ADDR  --mail2 ADDR  --memo TEXT
            Readings become half-width katakana; a reading with kanji or a
            telephone number with full-width characters is refused.
  bookmark  --title TITLE  --url URL  ("http://" is put before an address that has
            neither "http://" nor a leading "https://")
      --print-payload    print the payload text instead of drawing it

Batch: one text per line of FILE (UTF-8, or - for standard input); empty lines are
skipped. Each line gets DIR/NNN.EXT, NNN its line number; a line that fails is
reported with its number and the others go on.
  -j, --jobs N           lines drawn at once, 1..1024 (default: as many as nproc);
                         the files and messages are the same for any N. Pictures
                         with captions are drawn one line at a time

  -V, --program-version  print the program's version
  -h, --help             show this help

Exit status: 0 when every symbol was built and written; 1 when the data does not fit
the symbols; 2 for a usage or input error, or a file that cannot be read or written.
On failure nothing is written. A batch ends with the highest status of its lines
(the other lines are still written).
)";
}

} // namespace cli
