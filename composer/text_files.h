// "MEMO.txt" and the five templates "MailDoc1.txt" to "MailDoc5.txt": the editor's text as
// Shift-JIS bytes, lines separated by CR LF, a break after the last line only when the text ends
// with one. Names without a directory part are resolved against the current directory.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace composer {

inline constexpr const char* kMemoFileName = "MEMO.txt";

// The message the window held when it last closed or last saved on its own, kept in the
// data folder whatever the "save the last message" option says: UTF-8, so that no
// character is lost. The option decides only "MEMO.txt".
inline constexpr const char* kDraftFileName = "Draft.txt";

// The editor's text before anything was typed or loaded.
inline constexpr const char* kDefaultMemoText = "~ メッセージを入力して下さい。 ~";

// "MailDoc" + n + ".txt" for n in 1..5; empty for any other n.
QString TemplateFileName(int n);

// Size in bytes of the first entry (sorted by name) matching `fileName`, whose last
// part may hold the wildcards "*" and "?"; directories count as 0 bytes. -1 when
// nothing matches. A name without a directory part is looked up in the current directory.
std::int64_t FileSizeOf(const QString& fileName);

// Thresholds on FileSizeOf: a memo of 4 bytes or fewer is ignored at start-up, a
// template of 6 bytes or fewer counts as missing, and one of 12 bytes or fewer is
// overwritten without asking.
bool MemoWorthLoading(const QString& fileName = QString::fromLatin1(kMemoFileName));
bool TemplateLoadable(const QString& fileName);
bool TemplateOverwriteNeedsAsking(const QString& fileName);

// Removes what a save killed half-way left in `folder` (empty: the current directory)
// beside "MEMO.txt" and the templates; see RemoveStaleTemporaries.
void RemoveStaleTextTemporaries(const QString& folder);

// The file's text with every line break (CR LF, CR, LF) as CR LF, a final one included, as the
// editor holds it. Throws EFileReadError when it cannot be read or is no regular file (a
// FIFO there is refused at once, not waited on).
std::string LoadTextFile(const QString& fileName);

// Writes the text as it stands, through a temporary file renamed over the old one.
// Throws EFileWriteError when that fails; the old file is then untouched.
void SaveTextFile(const QString& fileName, std::string_view text);

// "MEMO.txt" as it was read: the editor's text ("\n" between lines) and the bytes of every
// line that does not come back from its text (bytes that are no Shift-JIS), so that a line
// the user leaves alone is written back as it came.
struct TMemoFile {
    QString Text;
    std::vector<std::pair<QString, std::string>> KeptLines;
};
// Throws EFileReadError when the file cannot be read.
TMemoFile LoadMemoFile(const QString& fileName);
// The editor's text as the file's bytes: a line read from the file as it came, any other
// line as Shift-JIS, CR LF between lines.
std::string MemoFileBytes(const QString& text, const TMemoFile& read);
// The lines of `text` that MemoFileBytes encodes anew ("\n" between them): only those
// can lose characters.
QString MemoLinesEncodedAnew(const QString& text, const TMemoFile& read);

// Texts of the template operations (UTF-8, CR LF between lines).
inline constexpr const char* kTemplateLoadedAlert = "ファイルを読み込みました。";
inline constexpr const char* kTemplateMissingMessage =
    "文書ファイルがありません。\r\n先に作成後保存して下さい。";
inline constexpr const char* kTemplateMissingCaption = "文書エラー";
inline constexpr const char* kTemplateOverwriteQuestion =
    "文書がすでに保存されています。\r\nこの文書の上に上書きしますか?";
inline constexpr const char* kTemplateOverwriteCaption = "ファイルが存在します。";
inline constexpr const char* kMemoSaveFailedMessage = "文章ファイルの保存に失敗しました。";
inline constexpr const char* kMemoSaveFailedCaption = "書き込みエラー";

} // namespace composer
