// Runs the built varoku-qr with given arguments and standard input, in a scratch
// directory of its own, and collects what it printed and how it ended.
#pragma once

#include <string>
#include <vector>

namespace cli_test {

struct TRun {
    int Exit = -1; // exit status; -1 when the program did not exit normally
    std::string Out;
    std::string Err;
};

// A directory that exists for the life of the object.
class TScratchDir {
public:
    TScratchDir();
    ~TScratchDir();
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;
    const std::string& Path() const { return path_; }
    // Names of the entries, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string path_;
};

// fileSizeLimit > 0 caps every file the program writes (RLIMIT_FSIZE, with SIGXFSZ
// ignored so that a write past it fails instead of killing the program). `program`
// runs another copy of varoku-qr than the built one.
TRun RunQr(const std::vector<std::string>& args, const std::string& input = {},
           const std::string& cwd = {}, long fileSizeLimit = 0, const std::string& program = {});

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

// The parts of a PBM text as varoku-qr writes it.
struct TPbm {
    std::vector<std::string> Header; // "P1", the mode line, the size line
    int Width = 0;
    // One picture per symbol, each Width x Width entries, true for dark.
    std::vector<std::vector<std::vector<bool>>> Pictures;
    std::string Problem; // empty when the text is well formed
};

TPbm ParsePbm(const std::string& text);

// Raw Netpbm bitmaps ("P4") one after the other, as -t pbm writes them; Header holds
// "P4" and the size line of the first.
TPbm ParseRawPbm(const std::string& bytes);

} // namespace cli_test
