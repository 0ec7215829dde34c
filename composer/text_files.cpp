#include "composer/text_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstring>

#include "composer/atomic_file.h"
#include "composer/file_error.h"
#include "composer/shift_jis_text.h"

namespace composer {
namespace {

// Windows-style wildcard match, "*" and "?" only, case as the file system has it.
bool MatchesWildcard(const QString& name, const QString& pattern) {
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starAt = -1;
    qsizetype starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            starName = n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

std::int64_t SizeOfEntry(const QFileInfo& info) {
    return info.isDir() ? 0 : info.size();
}

} // namespace

std::int64_t FileSizeOf(const QString& fileName) {
    if (fileName.isEmpty()) {
        return -1;
    }
    const QFileInfo named(fileName);
    const QString pattern = named.fileName();
    if (!pattern.contains(u'*') && !pattern.contains(u'?')) {
        return named.exists() ? SizeOfEntry(named) : -1;
    }
    // "*" and "?" only: QDir's own filters would also read "[" as a wildcard.
    const QDir directory = named.dir();
    const QStringList entries = directory.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (MatchesWildcard(entry, pattern)) {
            return SizeOfEntry(QFileInfo(directory, entry));
        }
    }
    return -1;
}

QString TemplateFileName(int n) {
    if (n < 1 || n > 5) {
        return {};
    }
    return QStringLiteral("MailDoc%1.txt").arg(n);
}

bool MemoWorthLoading(const QString& fileName) {
    return FileSizeOf(fileName) > 4;
}

bool TemplateLoadable(const QString& fileName) {
    return FileSizeOf(fileName) > 6;
}

bool TemplateOverwriteNeedsAsking(const QString& fileName) {
    return FileSizeOf(fileName) > 12;
}

void RemoveStaleTextTemporaries(const QString& folder) {
    std::vector<std::string> names{kMemoFileName, kDraftFileName};
    for (int n = 1; n <= 5; ++n)
        names.push_back(TemplateFileName(n).toStdString());
    RemoveStaleTemporaries(QFile::encodeName(folder).toStdString(), names);
}

std::string LoadTextFile(const QString& fileName) {
    const TFileReadResult read = ReadRegularFile(QFile::encodeName(fileName).toStdString());
    if (read.Kind == TFileReadResult::NotRegular) {
        throw EFileReadError("Cannot open file \"" + fileName.toStdString() + "\". " +
                             kNotRegularFileWords);
    }
    if (read.Kind != TFileReadResult::Read) {
        throw EFileReadError("Cannot read file \"" + fileName.toStdString() +
                             "\": " + std::strerror(read.Error));
    }
    const std::string& bytes = read.Bytes;
    // Every break becomes CR LF, the last one included: a text that ends with
    // Enter must come back with it, or each save and load would cost it two
    // bytes.
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            text += "\r\n";
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
        } else {
            text += c;
        }
    }
    return text;
}

TMemoFile LoadMemoFile(const QString& fileName) {
    const std::string bytes = LoadTextFile(fileName);
    TMemoFile read;
    read.Text = ShiftJisToEditorText(bytes);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        const QString shown = ShiftJisToEditorText(line);
        if (ToShiftJis(shown) != line) read.KeptLines.emplace_back(shown, line);
        start = end + 2;
    }
    return read;
}

namespace {

const std::string* KeptBytes(const QString& line, const TMemoFile& read) {
    for (const auto& [shown, bytes] : read.KeptLines)
        if (shown == line) return &bytes;
    return nullptr;
}

} // namespace

std::string MemoFileBytes(const QString& text, const TMemoFile& read) {
    std::string bytes;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) bytes += "\r\n";
        const std::string* kept = KeptBytes(lines[i], read);
        bytes += kept ? *kept : EditorTextToShiftJis(lines[i]);
    }
    return bytes;
}

QString MemoLinesEncodedAnew(const QString& text, const TMemoFile& read) {
    QStringList anew;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (!KeptBytes(line, read)) anew << line;
    return anew.join(QLatin1Char('\n'));
}

void SaveTextFile(const QString& fileName, std::string_view text) {
    // A save that fails half-way must leave the previous text readable.
    SaveFileAtomically(fileName, text);
}

} // namespace composer
