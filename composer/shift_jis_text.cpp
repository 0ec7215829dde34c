#include "composer/shift_jis_text.h"

#include <QList>

#include <algorithm>

#include "platform/kana_mapping.h"

namespace composer {
namespace {

using platform::IsShiftJisLeadByte;

size_t CharLength(std::string_view text, size_t at) {
    return IsShiftJisLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// Runs `map` over every character that decodes; anything the code page cannot read,
// or a result it cannot write back, keeps its original bytes.
template <typename Map> std::string MapCharacters(std::string_view text, Map map) {
    std::string result;
    result.reserve(text.size() + text.size() / 2);
    platform::ShiftJisCodec codec;
    std::u16string mapped;
    for (size_t at = 0; at < text.size();) {
        const size_t length = CharLength(text, at);
        const std::string_view original = text.substr(at, length);
        at += length;
        char16_t ch = 0;
        if (static_cast<unsigned char>(original[0]) < 0x80 || !codec.DecodeChar(original, ch)) {
            result.append(original);
            continue;
        }
        mapped.clear();
        map(ch, mapped);
        const size_t mark = result.size();
        bool written = true;
        for (char16_t unit : mapped) {
            if (!codec.EncodeChar(unit, result)) {
                written = false;
                break;
            }
        }
        if (!written) {
            result.resize(mark);
            result.append(original);
        }
    }
    return result;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

int CountMbChars(std::string_view text) {
    int count = 0;
    for (size_t at = 0; at < text.size(); ++count) {
        at += IsShiftJisLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
    }
    return count;
}

std::string CopyMbChars(std::string_view text, int start, int count) {
    if (start < 1 || count < 1) {
        return {};
    }
    size_t at = 0;
    for (int number = 1; number < start && at < text.size(); ++number) {
        at += CharLength(text, at);
    }
    const size_t begin = at;
    for (int copied = 0; copied < count && at < text.size(); ++copied) {
        at += CharLength(text, at);
    }
    return std::string(text.substr(begin, at - begin));
}

bool HasDoubleByteChar(std::string_view text) {
    return platform::ShiftJisToUtf16(text).size() != text.size();
}

std::string ToKatakana(std::string_view text) {
    return MapCharacters(text, [](char16_t ch, std::u16string& out) {
        out.push_back(platform::HiraganaToKatakana(ch));
    });
}

std::string ToHalfWidth(std::string_view text) {
    return MapCharacters(
        text, [](char16_t ch, std::u16string& out) { platform::AppendHalfWidth(ch, out); });
}

bool IsMailAddress(std::string_view text) {
    return text.find('@') != std::string_view::npos && text.find('.') != std::string_view::npos;
}

std::string ReplaceAllText(std::string_view text, std::string_view pattern,
                           std::string_view replacement) {
    if (pattern.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    size_t copied = 0;   // everything before this is already in the result
    size_t boundary = 0; // a character boundary at or after `copied`
    size_t from = 0;
    while (true) {
        const size_t found = text.find(pattern, from);
        if (found == std::string_view::npos) {
            break;
        }
        while (boundary < found) {
            boundary += CharLength(text, boundary);
        }
        if (boundary != found) {
            // The occurrence starts on the second byte of a character.
            from = found + 1;
            continue;
        }
        result.append(text.substr(copied, found - copied));
        result.append(replacement);
        copied = boundary = from = found + pattern.size();
    }
    result.append(text.substr(copied));
    return result;
}

bool IsNumericText(std::string_view text) {
    size_t at = 0;
    const size_t end = text.size();
    while (at < end && text[at] == ' ') {
        ++at;
    }
    if (at == end) {
        return false;
    }
    if (text[at] == '+' || text[at] == '-') {
        if (++at == end) {
            return false;
        }
    }
    if (!IsDigit(text[at])) {
        return false;
    }
    while (at < end && IsDigit(text[at])) {
        ++at;
    }
    if (at == end) {
        return true;
    }
    if (text[at] == '.') {
        ++at;
        if (at == end || !IsDigit(text[at])) {
            return false;
        }
        while (at < end && IsDigit(text[at])) {
            ++at;
        }
        if (at == end) {
            return true;
        }
    }
    if (text[at] == 'E' || text[at] == 'e') {
        ++at;
        if (at < end && (text[at] == '+' || text[at] == '-')) {
            ++at;
        }
        if (at == end || !IsDigit(text[at])) {
            return false;
        }
        while (at < end && IsDigit(text[at])) {
            ++at;
        }
        return at == end;
    }
    return false;
}

std::string ToShiftJis(const QString& text, std::vector<platform::TShiftJisUnmappable>* unmappable,
                       platform::TShiftJisScope scope) {
    return platform::QStringToShiftJis(text, unmappable, scope);
}

QString FromShiftJis(std::string_view text) {
    return platform::ShiftJisToQString(text);
}

std::string EditorTextToShiftJis(const QString& text,
                                 std::vector<platform::TShiftJisUnmappable>* unmappable,
                                 platform::TShiftJisScope scope) {
    // Line by line, so that reported positions count the editor's own characters.
    std::string joined;
    std::vector<platform::TShiftJisUnmappable> lineUnmappable;
    int charactersBefore = 0; // code points of `text` before the current line
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool atEnd = i == text.size();
        const QChar ch = atEnd ? QChar() : text[i];
        if (!atEnd && ch != u'\r' && ch != u'\n' && ch != QChar::LineSeparator &&
            ch != QChar::ParagraphSeparator) {
            continue;
        }
        const QStringView line = QStringView(text).mid(lineStart, i - lineStart);
        lineUnmappable.clear();
        joined += platform::Utf16ToShiftJis(
            std::u16string_view(reinterpret_cast<const char16_t*>(line.utf16()),
                                static_cast<size_t>(line.size())),
            unmappable ? &lineUnmappable : nullptr, scope);
        for (platform::TShiftJisUnmappable found : lineUnmappable) {
            found.Position += charactersBefore;
            unmappable->push_back(found);
        }
        if (atEnd) {
            break;
        }
        qsizetype breakLength = 1;
        if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            breakLength = 2;
        }
        joined += "\r\n";
        if (unmappable) {
            charactersBefore += static_cast<int>(line.toUcs4().size() + breakLength);
        }
        i += breakLength - 1;
        lineStart = i + 1;
    }
    return joined;
}

std::string EditorTextToUtf8(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QChar lineBreak :
         {QChar(u'\r'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)})
        lines.replace(lineBreak, QLatin1Char('\n'));
    lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return lines.toStdString();
}

QString ShiftJisToEditorText(std::string_view text) {
    QString decoded = platform::ShiftJisToQString(text);
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    decoded.replace(u'\r', u'\n');
    return decoded;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\r' || text[at] == '\n') {
            lines.emplace_back(text.substr(start, at - start));
            if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
                ++at;
            }
            start = at + 1;
        }
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

} // namespace composer
