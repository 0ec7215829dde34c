#include "tests/cli/run_cli.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace cli_test {

TScratchDir::TScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/varoku-cli-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TScratchDir::~TScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TScratchDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

TRun RunQr(const std::vector<std::string>& args, const std::string& input, const std::string& cwd,
           long fileSizeLimit, const std::string& programPath) {
    // Files rather than pipes: no deadlock however much either side writes.
    TScratchDir io;
    const std::string in = io.Path() + "/in", out = io.Path() + "/out", err = io.Path() + "/err";
    WriteFile(in, input);

    std::vector<char*> argv;
    std::string program = programPath.empty() ? VAROKU_QR_PATH : programPath;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (auto& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int fin = ::open(in.c_str(), O_RDONLY);
        const int fout = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int ferr = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fin < 0 || fout < 0 || ferr < 0) ::_exit(126);
        ::dup2(fin, 0);
        ::dup2(fout, 1);
        ::dup2(ferr, 2);
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
        if (fileSizeLimit > 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit),
                               static_cast<rlim_t>(fileSizeLimit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
        }
        // Every picture the tests make is read back by the program itself as well.
        ::setenv("VAROKU_QR_VERIFY", "1", 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    TRun r;
    r.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.Out = ReadFile(out);
    r.Err = ReadFile(err);
    return r;
}

TPbm ParsePbm(const std::string& text) {
    TPbm p;
    if (text.empty() || text.back() != '\n') {
        p.Problem = "the text does not end in a line break";
        return p;
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    if (lines.size() < 3) {
        p.Problem = "no header";
        return p;
    }
    p.Header.assign(lines.begin(), lines.begin() + 3);
    int w2 = 0;
    if (std::sscanf(lines[2].c_str(), "%d %d", &p.Width, &w2) != 2 || p.Width != w2 ||
        lines[2] != std::to_string(p.Width) + " " + std::to_string(p.Width)) {
        p.Problem = "bad size line " + lines[2];
        return p;
    }
    const std::size_t w = static_cast<std::size_t>(p.Width);
    std::size_t i = 3;
    while (i < lines.size()) {
        if (i + 2 + w > lines.size() || !lines[i].empty() || !lines[i + 1].empty()) {
            p.Problem = "picture " + std::to_string(p.Pictures.size() + 1) +
                        " is not two empty lines and " + std::to_string(w) + " rows";
            return p;
        }
        i += 2;
        std::vector<std::vector<bool>> picture;
        for (std::size_t r = 0; r < w; ++r, ++i) {
            const std::string& line = lines[i];
            if (line.size() != 2 * w) {
                p.Problem = "row of " + std::to_string(line.size()) + " characters";
                return p;
            }
            std::vector<bool> row(w);
            for (std::size_t c = 0; c < w; ++c) {
                if (line[2 * c] != ' ' || (line[2 * c + 1] != '0' && line[2 * c + 1] != '1')) {
                    p.Problem = "bad entry in row: " + line;
                    return p;
                }
                row[c] = line[2 * c + 1] == '1';
            }
            picture.push_back(std::move(row));
        }
        p.Pictures.push_back(std::move(picture));
    }
    return p;
}

TPbm ParseRawPbm(const std::string& bytes) {
    TPbm p;
    std::size_t at = 0;
    while (at < bytes.size()) {
        int w = 0, h = 0, used = 0;
        if (std::sscanf(bytes.c_str() + at, "P4\n%d %d\n%n", &w, &h, &used) != 2 || used == 0 ||
            w != h || w <= 0 || (p.Width != 0 && w != p.Width)) {
            p.Problem = "picture " + std::to_string(p.Pictures.size() + 1) + " has no P4 header";
            return p;
        }
        if (p.Width == 0) p.Header = {"P4", std::to_string(w) + " " + std::to_string(h)};
        p.Width = w;
        at += static_cast<std::size_t>(used);
        const std::size_t rowBytes = static_cast<std::size_t>(w + 7) / 8;
        if (bytes.size() - at < rowBytes * static_cast<std::size_t>(h)) {
            p.Problem = "picture " + std::to_string(p.Pictures.size() + 1) + " is cut short";
            return p;
        }
        std::vector<std::vector<bool>> picture(static_cast<std::size_t>(h),
                                               std::vector<bool>(static_cast<std::size_t>(w)));
        for (int y = 0; y < h; ++y, at += rowBytes)
            for (int x = 0; x < w; ++x)
                picture[y][x] = (static_cast<unsigned char>(bytes[at + x / 8]) >> (7 - x % 8)) & 1;
        p.Pictures.push_back(std::move(picture));
    }
    if (p.Pictures.empty()) p.Problem = "no picture";
    return p;
}

} // namespace cli_test
