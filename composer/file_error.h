// The errors the settings store and the text files raise. They are meant to reach the
// application's standard error box, which shows what() (UTF-8).
//
// How composer/ reports failure, one way per module: the modules that touch files
// (TExIniFile, text_files) throw these and nothing else; every other module (payload,
// composition, stored_list, shift_jis_text) returns what it made, a refusal included,
// in its result (a struct, an optional, a bool) and throws nothing. The atomic writer
// returns TFileWriteResult; SaveFileAtomically is its throwing form for the two file
// modules.
#pragma once

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace composer {

class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file could not be read (a template, or a settings file that exists but is unreadable).
class EFileReadError : public EFileError {
public:
    using EFileError::EFileError;
};

// The reason given, in the window's words, when a settings or text file's name holds a
// FIFO, a device or anything else that is no regular file: it is neither read nor written.
inline constexpr const char* kNotRegularFileWords = "通常のファイルではありません。";

// A file could not be written; the file on disk is as it was before the attempt.
class EFileWriteError : public EFileError {
public:
    using EFileError::EFileError;
};

// The system's reason behind a file error, as the atomic writer and the store end their
// texts (": " and the system's words for it); 0 when the text names none.
inline int ErrorNumberIn(std::string_view what) {
    for (int err = 1; err < 200; ++err) {
        const std::string_view words = std::strerror(err);
        if (what.size() > words.size() + 2 && what.substr(what.size() - words.size()) == words &&
            what.substr(what.size() - words.size() - 2, 2) == ": ")
            return err;
    }
    return 0;
}

// That reason in the user's words (UTF-8); empty for a number without words of its own.
inline const char* ErrorNumberWords(int err) {
    switch (err) {
    case EROFS:
        return "ディスクが読み取り専用です。";
    case EACCES:
    case EPERM:
        return "書き込む権限がありません。";
    case ENOSPC:
        return "ディスクの空き容量が足りません。";
    case EDQUOT:
        return "ディスクの使用量の制限を超えました。";
    case ENOENT:
    case ENOTDIR:
        return "フォルダがありません。";
    case EISDIR:
        return "同じ名前のフォルダがあります。";
    case EIO:
        return "ディスクの読み書きに失敗しました。";
    case ENAMETOOLONG:
        return "ファイル名が長すぎます。";
    case EMLINK:
    case ELOOP:
        return "リンクをたどれません。";
    case ETXTBSY:
    case EBUSY:
        return "ファイルが使用中です。";
    case EFBIG:
        return "ファイルが大きすぎます。";
    default:
        return "";
    }
}

} // namespace composer
