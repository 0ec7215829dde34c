#include "composer/ex_ini_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>
#include <charconv>
#include <limits>

#include "composer/atomic_file.h"
#include "composer/file_error.h"
#include "platform/shift_jis.h"

namespace composer {
namespace ini_detail {
namespace {

std::string_view TrimControls(std::string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 0x20) {
        ++first;
    }
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20) {
        --last;
    }
    return text.substr(first, last - first);
}

bool ParseHex(std::string_view digits, int& value) {
    if (digits.empty()) {
        return false;
    }
    std::uint64_t number = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
    if (error != std::errc() || end != digits.data() + digits.size() || number > 0xFFFFFFFFu) {
        return false;
    }
    // Eight hexadecimal digits are the 32-bit pattern: "$FFFFFFFF" is -1.
    value = static_cast<int>(number);
    return true;
}

} // namespace

std::vector<TIniSection> ParseIni(std::string_view bytes) {
    std::vector<TIniSection> sections;
    size_t start = 0;
    while (start <= bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') {
            ++end;
        }
        const std::string_view line = TrimControls(bytes.substr(start, end - start));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
            bytes[end + 1] == '\n') {
            ++end;
        }
        start = end + 1;

        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            sections.push_back({std::string(TrimControls(line.substr(1, line.size() - 2))), {}});
            continue;
        }
        if (sections.empty()) {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            sections.back().Lines.emplace_back(line);
            continue;
        }
        std::string entry(TrimControls(line.substr(0, equals)));
        entry += '=';
        entry += TrimControls(line.substr(equals + 1));
        sections.back().Lines.push_back(std::move(entry));
    }
    return sections;
}

std::string SerializeIni(const std::vector<TIniSection>& sections) {
    std::string text;
    for (const TIniSection& section : sections) {
        text += '[';
        text += section.Name;
        text += "]\r\n";
        for (const std::string& line : section.Lines) {
            text += line;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

bool ParseIniInteger(std::string_view text, int& value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return ParseHex(text.substr(2), value);
    }
    if (!text.empty() && text[0] == '$') {
        return ParseHex(text.substr(1), value);
    }
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
            return false;
        }
    }
    if (text.empty()) {
        return false;
    }
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, 10);
    if (error != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    value = number;
    return true;
}

} // namespace ini_detail

namespace {

// A hand-edited count must not make a list read allocate without bound.
constexpr int kMaxListItems = 100000;

constexpr std::array<std::string_view, 8> kPlacementSuffixes = {
    ".Flags", ".Show", ".MaxX", ".MaxY", ".X", ".Y", ".XSize", ".YSize",
};

std::string Joined(std::string_view a, std::string_view b) {
    std::string joined(a);
    joined += b;
    return joined;
}

std::string Quoted(std::string_view text, TFence fence) {
    switch (fence) {
    case fcDoubleQuote:
        return "\"" + std::string(text) + "\"";
    case fcSingleQuote:
        return "'" + std::string(text) + "'";
    case fcNone:
        break;
    }
    return std::string(text);
}

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Case folding touches single-byte characters only: the trail byte of a two-byte
// character may look like a letter (ア is 0x83 0x41) without being one.
bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (platform::IsShiftJisLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

QString ExecutablePath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString BaseDirectory(TBaseDir baseDir) {
    switch (baseDir) {
    case bdWindows:
        return QStringLiteral("/etc");
    case bdApplication:
        return QFileInfo(ExecutablePath()).absolutePath();
    case bdAppData:
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    case bdNone:
        break;
    }
    return QDir::currentPath();
}

} // namespace

TExIniFile::TExIniFile() = default;

void TExIniFile::Loaded() {
    if (!fileName_.isEmpty()) {
        return;
    }
    QString name = QFileInfo(ExecutablePath()).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0) {
        name.truncate(dot);
    }
    SetFileName(name + QStringLiteral(".ini"));
}

void TExIniFile::SetBaseDir(TBaseDir value) {
    if (value < bdWindows || value > bdNone) {
        return;
    }
    baseDir_ = value;
    Reload();
}

void TExIniFile::SetFileName(const QString& value) {
    fileName_ = value;
    Reload();
}

void TExIniFile::Reload() {
    sections_.clear();
    caseSensitive_ = false;
    unreadable_ = false;
    path_.clear();
    if (fileName_.isEmpty()) {
        return;
    }
    if (fileName_.contains(u'/')) {
        path_ = QFileInfo(fileName_).absoluteFilePath();
    } else {
        path_ = QDir(BaseDirectory(baseDir_)).absoluteFilePath(fileName_);
    }
    QFile file(path_);
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        unreadable_ = true;
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        unreadable_ = true;
        return;
    }
    sections_ = ini_detail::ParseIni(
        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool TExIniFile::SameName(std::string_view a, std::string_view b) const {
    return caseSensitive_ ? a == b : SameTextIgnoringCase(a, b);
}

const TExIniFile::Section* TExIniFile::FindSection(std::string_view name) const {
    for (const Section& section : sections_) {
        if (SameName(section.Name, name)) {
            return &section;
        }
    }
    return nullptr;
}

std::optional<std::string_view> TExIniFile::FindValue(std::string_view section,
                                                      std::string_view key) const {
    const Section* found = FindSection(section);
    if (!found) {
        return std::nullopt;
    }
    for (const std::string& line : found->Lines) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos &&
            SameName(std::string_view(line).substr(0, equals), key)) {
            return std::string_view(line).substr(equals + 1);
        }
    }
    return std::nullopt;
}

void TExIniFile::WriteValue(std::string_view section, std::string_view key,
                            std::string_view value) {
    Section* target = const_cast<Section*>(FindSection(section));
    if (!target) {
        sections_.push_back({std::string(section), {}});
        target = &sections_.back();
    }
    std::string entry(key);
    entry += '=';
    entry += value;
    for (std::string& line : target->Lines) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos &&
            SameName(std::string_view(line).substr(0, equals), key)) {
            line = std::move(entry);
            return;
        }
    }
    target->Lines.push_back(std::move(entry));
}

int TExIniFile::ReadInteger(std::string_view section, std::string_view key,
                            int defaultValue) const {
    const std::optional<std::string_view> text = FindValue(section, key);
    int value = 0;
    if (text && ini_detail::ParseIniInteger(*text, value)) {
        return value;
    }
    return defaultValue;
}

void TExIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteValue(section, key, std::to_string(value));
    Flush();
}

bool TExIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TExIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteValue(section, key, value ? "1" : "0");
    Flush();
}

std::string TExIniFile::ReadFencedString(std::string_view section, std::string_view key,
                                         std::string_view defaultValue, TFence fence) const {
    const std::optional<std::string_view> stored = FindValue(section, key);
    std::string text = stored ? std::string(*stored) : Quoted(defaultValue, fence);
    if (text.size() >= 2) {
        const char quote = fence_ == fcDoubleQuote ? '"' : fence_ == fcSingleQuote ? '\'' : 0;
        if (quote != 0 && text.front() == quote && text.back() == quote) {
            text = text.substr(1, text.size() - 2);
        }
    }
    return text;
}

void TExIniFile::WriteFencedString(std::string_view section, std::string_view key,
                                   std::string_view text, TFence fence) {
    WriteValue(section, key, Quoted(text, fence));
    Flush();
}

void TExIniFile::ReadStrings(std::string_view section, std::string_view key,
                             std::vector<std::string>& target) const {
    const int current = static_cast<int>(std::min<size_t>(target.size(), kMaxListItems));
    const int count = std::min(ReadInteger(section, Joined(key, ".Count"), current), kMaxListItems);
    std::vector<std::string> items;
    if (count > 0) {
        items.reserve(static_cast<size_t>(count));
    }
    for (int i = 0; i < count; ++i) {
        const std::string_view fallback = static_cast<size_t>(i) < target.size()
                                              ? std::string_view(target[i])
                                              : std::string_view();
        items.push_back(
            ReadFencedString(section, Joined(key, "." + std::to_string(i)), fallback, fcNone));
    }
    target = std::move(items);
}

void TExIniFile::WriteStrings(std::string_view section, std::string_view key,
                              const std::vector<std::string>& source) {
    WriteInteger(section, Joined(key, ".Count"), static_cast<int>(source.size()));
    for (size_t i = 0; i < source.size(); ++i) {
        WriteFencedString(section, Joined(key, "." + std::to_string(i)), source[i], fcNone);
    }
}

void TExIniFile::ReadPlacement(std::string_view section, std::string_view key,
                               platform::TWindowPlacement& placement) const {
    const std::array<int*, 8> fields = {
        &placement.Flags, &placement.ShowCmd, &placement.MaxX,  &placement.MaxY,
        &placement.Left,  &placement.Top,     &placement.Right, &placement.Bottom,
    };
    for (size_t i = 0; i < fields.size(); ++i) {
        *fields[i] = ReadInteger(section, Joined(key, kPlacementSuffixes[i]), *fields[i]);
    }
}

void TExIniFile::WritePlacement(std::string_view section, std::string_view key,
                                const platform::TWindowPlacement& placement) {
    const std::array<int, 8> fields = {
        placement.Flags, placement.ShowCmd, placement.MaxX,  placement.MaxY,
        placement.Left,  placement.Top,     placement.Right, placement.Bottom,
    };
    for (size_t i = 0; i < fields.size(); ++i) {
        WriteInteger(section, Joined(key, kPlacementSuffixes[i]), fields[i]);
    }
}

void TExIniFile::Flush() {
    if (!autoUpdate_ || path_.isEmpty()) {
        return;
    }
    if (unreadable_) {
        throw EFileWriteError("Cannot update file \"" + path_.toStdString() +
                              "\": it exists but could not be read, so it is left as it is.");
    }
    // Written beside the old file and renamed over it: a write that fails half-way
    // must not cost the user every setting.
    SaveFileAtomically(path_, ini_detail::SerializeIni(sections_));
}

} // namespace composer
