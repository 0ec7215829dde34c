#include "cli/input.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace cli {

namespace {

std::string Hex(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. Returns the
// byte offset of the first bad sequence, or npos.
std::size_t DecodeUtf8(std::string_view in, std::u16string& out) {
    std::size_t i = 0;
    while (i < in.size()) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        char32_t c;
        int more;
        char32_t min;
        if (b0 < 0x80) {
            out += static_cast<char16_t>(b0);
            ++i;
            continue;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            c = b0 & 0x1F, more = 1, min = 0x80;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            c = b0 & 0x0F, more = 2, min = 0x800;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            c = b0 & 0x07, more = 3, min = 0x10000;
        } else {
            return i;
        }
        if (i + more >= in.size()) return i;
        for (int k = 1; k <= more; ++k) {
            const auto b = static_cast<unsigned char>(in[i + k]);
            if ((b & 0xC0) != 0x80) return i;
            c = (c << 6) | (b & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return i;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += more + 1;
    }
    return std::string_view::npos;
}

} // namespace

TInputResult ReadAll(int fd, const std::string& name, std::size_t limit) {
    TInputResult r;
    // Not zeroed, so a short text touches one page of it, not sixteen.
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            r.Exit = kExitUsage;
            r.Error = "cannot read " + name + ": " + std::strerror(errno);
            return r;
        }
        if (r.Bytes.size() + static_cast<std::size_t>(n) > limit) {
            r.Exit = kExitNoFit;
            r.Error = "the input is longer than " + std::to_string(limit) +
                      " bytes; no set of symbols can hold it";
            return r;
        }
        r.Bytes.append(buf, static_cast<std::size_t>(n));
    }
    return r;
}

TInputResult ReadFileOrStdin(const std::string& path, std::size_t limit) {
    if (path == "-") return ReadAll(STDIN_FILENO, "standard input", limit);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        TInputResult r;
        r.Exit = kExitUsage;
        r.Error = "cannot open " + path + ": " + std::strerror(errno);
        return r;
    }
    auto r = ReadAll(fd, path, limit);
    ::close(fd);
    return r;
}

TInputResult ReadText(const TCliOptions& options) {
    if (!options.ReadPath.empty()) return ReadFileOrStdin(options.ReadPath);
    if (options.TextFromStdin) return ReadAll(STDIN_FILENO, "standard input", kMaxInputBytes);
    TInputResult r;
    for (std::size_t i = 0; i < options.Text.size(); ++i) {
        if (i > 0) r.Bytes += ' ';
        r.Bytes += options.Text[i];
    }
    return r;
}

bool IsPlainAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string Utf8ToUtf16(std::string_view utf8, std::u16string& out) {
    if (const auto bad = DecodeUtf8(utf8, out); bad != std::string_view::npos)
        return "the text is not valid UTF-8 at byte " + std::to_string(bad + 1);
    return {};
}

bool InputAsUtf16(std::string_view utf8, std::u16string& text, TInputResult& refusal) {
    if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);
    text.clear();
    text.reserve(utf8.size());
    if (auto error = Utf8ToUtf16(utf8, text); !error.empty()) {
        refusal.Exit = kExitUsage;
        refusal.Error = error + " (use --input-encoding sjis for Shift-JIS bytes)";
        return false;
    }
    return true;
}

std::string UnmappableText(char32_t character, int position) {
    std::string shown;
    AppendUtf8(shown, character);
    if (character >= 0xD800 && character <= 0xDFFF) shown.clear();
    return "character " + Hex(character) + (shown.empty() ? "" : " '" + shown + "'") +
           " at position " + std::to_string(position) + " has no Shift-JIS form";
}

} // namespace cli
