// The errors the settings store and the text files raise. They are meant to reach the
// application's standard error box, which shows what() (UTF-8).
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

// A file could not be written; the file on disk is as it was before the attempt.
class EFileWriteError : public EFileError {
public:
    using EFileError::EFileError;
};

} // namespace composer
