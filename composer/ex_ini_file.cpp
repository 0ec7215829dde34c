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
#include "platform/file_locations.h"
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

// The one spelling of a key that every spelling SameName may match folds to.
std::string FoldedKey(std::string_view key) {
    std::string folded(key);
    for (size_t i = 0; i < folded.size(); ++i) {
        if (platform::IsShiftJisLeadByte(static_cast<unsigned char>(folded[i]))) {
            ++i;
        } else {
            folded[i] = FoldAscii(folded[i]);
        }
    }
    return folded;
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
    SetFileName(platform::SettingsFileNameFor(ExecutablePath()));
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
    index_.clear();
    caseSensitive_ = false;
    unreadable_ = false;
    notRegular_ = false;
    byteOrderMark_ = false;
    path_.clear();
    if (fileName_.isEmpty()) {
        return;
    }
    if (fileName_.contains(u'/')) {
        path_ = QFileInfo(fileName_).absoluteFilePath();
    } else {
        path_ = QDir(BaseDirectory(baseDir_)).absoluteFilePath(fileName_);
    }
    const std::string native = QFile::encodeName(path_).toStdString();
    // What a write killed half-way left beside the file goes before anything else.
    RemoveStaleTemporaries(QFile::encodeName(QFileInfo(path_).absolutePath()).toStdString(),
                           {QFile::encodeName(QFileInfo(path_).fileName()).toStdString()});
    const TFileReadResult read = ReadRegularFile(native);
    if (read.Kind == TFileReadResult::Missing) {
        return;
    }
    if (read.Kind != TFileReadResult::Read) {
        unreadable_ = true;
        notRegular_ = read.Kind == TFileReadResult::NotRegular;
        return;
    }
    const std::string& bytes = read.Bytes;
    std::string_view text(bytes);
    // An editor's UTF-8 mark would otherwise glue itself to the first section's name.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) {
        byteOrderMark_ = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    sections_ = ini_detail::ParseIni(text);
    BuildIndex();
}

bool TExIniFile::SameName(std::string_view a, std::string_view b) const {
    return caseSensitive_ ? a == b : SameTextIgnoringCase(a, b);
}

void TExIniFile::BuildIndex() {
    index_.assign(sections_.size(), KeyIndex());
    for (size_t s = 0; s < sections_.size(); ++s) {
        const std::vector<std::string>& lines = sections_[s].Lines;
        index_[s].reserve(lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            const size_t equals = lines[i].find('=');
            if (equals != std::string::npos) {
                index_[s].emplace(FoldedKey(std::string_view(lines[i]).substr(0, equals)), i);
            }
        }
    }
}

int TExIniFile::FindSection(std::string_view name) const {
    for (size_t i = 0; i < sections_.size(); ++i) {
        if (SameName(sections_[i].Name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

long TExIniFile::FindLine(int section, std::string_view key) const {
    const std::vector<std::string>& lines = sections_[static_cast<size_t>(section)].Lines;
    long first = -1;
    const auto [from, to] = index_[static_cast<size_t>(section)].equal_range(FoldedKey(key));
    for (auto it = from; it != to; ++it) {
        const std::string_view line = lines[it->second];
        if ((first < 0 || it->second < static_cast<size_t>(first)) &&
            SameName(line.substr(0, line.find('=')), key)) {
            first = static_cast<long>(it->second);
        }
    }
    return first;
}

std::optional<std::string_view> TExIniFile::FindValue(std::string_view section,
                                                      std::string_view key) const {
    const int found = FindSection(section);
    if (found < 0) {
        return std::nullopt;
    }
    const long line = FindLine(found, key);
    if (line < 0) {
        return std::nullopt;
    }
    const std::string_view text = sections_[static_cast<size_t>(found)].Lines[line];
    return text.substr(text.find('=') + 1);
}

void TExIniFile::WriteValue(std::string_view section, std::string_view key,
                            std::string_view value) {
    int target = FindSection(section);
    if (target < 0) {
        sections_.push_back({std::string(section), {}});
        index_.emplace_back();
        target = static_cast<int>(sections_.size() - 1);
    }
    std::string entry(key);
    entry += '=';
    entry += value;
    std::vector<std::string>& lines = sections_[static_cast<size_t>(target)].Lines;
    const long line = FindLine(target, key);
    if (line >= 0) {
        lines[static_cast<size_t>(line)] = std::move(entry);
        return;
    }
    index_[static_cast<size_t>(target)].emplace(FoldedKey(key), lines.size());
    lines.push_back(std::move(entry));
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
    WriteValue(section, Joined(key, ".Count"), std::to_string(source.size()));
    std::string itemKey = Joined(key, ".");
    const size_t stem = itemKey.size();
    for (size_t i = 0; i < source.size(); ++i) {
        itemKey.resize(stem);
        itemKey += std::to_string(i);
        WriteValue(section, itemKey, source[i]);
    }
    // Items beyond the count go: a user deleting a private address expects it gone.
    itemKey.resize(stem);
    if (const int target = FindSection(section); target >= 0) {
        std::vector<std::string>& lines = sections_[static_cast<size_t>(target)].Lines;
        const size_t before = lines.size();
        std::erase_if(lines, [&](const std::string& line) {
            const std::string_view name = std::string_view(line).substr(0, line.find('='));
            if (name.size() <= stem || name.size() > stem + 9 || name.size() == line.size() ||
                !SameName(name.substr(0, stem), itemKey))
                return false;
            const std::string_view digits = name.substr(stem);
            // Only the names ReadStrings reads: no sign, no leading zero.
            if (digits.find_first_not_of("0123456789") != std::string_view::npos ||
                (digits.size() > 1 && digits[0] == '0'))
                return false;
            return std::stoul(std::string(digits)) >= source.size();
        });
        if (lines.size() != before) BuildIndex();
    }
    Flush();
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
        WriteValue(section, Joined(key, kPlacementSuffixes[i]), std::to_string(fields[i]));
    }
    Flush();
}

void TExIniFile::Flush() {
    if (!autoUpdate_ || path_.isEmpty()) {
        return;
    }
    if (notRegular_) {
        throw EFileWriteError("Cannot update file \"" + path_.toStdString() +
                              "\": " + kNotRegularFileWords);
    }
    if (unreadable_) {
        throw EFileWriteError("Cannot update file \"" + path_.toStdString() +
                              "\": it exists but could not be read, so it is left as it is.");
    }
    // Written beside the old file and renamed over it: a write that fails half-way
    // must not cost the user every setting.
    SaveFileAtomically(path_, (byteOrderMark_ ? "\xEF\xBB\xBF" : "") +
                                  ini_detail::SerializeIni(sections_));
}

} // namespace composer
