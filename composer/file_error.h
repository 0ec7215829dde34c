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

#include <stdexcept>
#include <string>

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

} // namespace composer
