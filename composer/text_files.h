// "MEMO.txt" and the five templates "MailDoc1.txt" to "MailDoc5.txt": the editor's text as
// Shift-JIS bytes, lines separated by CR LF, a break after the last line only when the text ends
// with one. Names without a directory part are resolved against the current directory.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace composer {

inline constexpr const char* kMemoFileName = "MEMO.txt";

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
