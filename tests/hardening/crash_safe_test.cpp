// Files that must survive a writer killed at any moment, and a disk that fills up.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "composer/ex_ini_file.h"
#include "composer/file_error.h"
#include "composer/text_files.h"
#include "platform/window_placement.h"
#include "tests/cli/run_cli.h"

namespace hardening {
namespace {

std::string ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

// A text of a few hundred kilobytes, so that a write takes long enough to be cut.
std::string BigText(char fill, int lines) {
    std::string s;
    for (int i = 0; i < lines; ++i) {
        s += std::string(60, fill) + " \x82\xA0\x82\xA2 " + std::to_string(i);
        if (i + 1 < lines) s += "\r\n";
    }
    return s;
}

// A settings value holds one line.
std::string Flat(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

// Runs `writeForever` (alternating the two contents) in a child killed after a random
// pause of up to `maxPauseUs`, `rounds` times; after every kill the file must hold one
// whole content.
void KillWhileWriting(const QString& path, const std::string& a, const std::string& b, int rounds,
                      const std::function<void()>& writeForever, std::mt19937& rng,
                      unsigned maxPauseUs = 4000) {
    int cut = 0;
    for (int i = 0; i < rounds; ++i) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            writeForever();
            _exit(0);
        }
        usleep(static_cast<useconds_t>(rng() % maxPauseUs));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string now = ReadFile(path);
        ASSERT_TRUE(now == a || now == b)
            << "round " << i << ": the file holds " << now.size() << " bytes, neither content";
        cut += WIFSIGNALED(status) ? 1 : 0;
    }
    EXPECT_GT(cut, rounds / 2) << "most writers should have been killed mid-way";
}

class CrashSafeFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::mt19937 rng{4242};
    QString Path(const char* name) const {
        return QDir(dir.path()).filePath(QString::fromLatin1(name));
    }
};

TEST_F(CrashSafeFiles, KilledTextWritersLeaveTheOldOrTheNewFile) {
    const std::string a = BigText('a', 4000), b = BigText('b', 3000);
    for (const char* name : {"MEMO.txt", "MailDoc3.txt"}) {
        const QString path = Path(name);
        composer::SaveTextFile(path, a);
        KillWhileWriting(
            path, a, b, 333,
            [&] {
                for (;;) {
                    composer::SaveTextFile(path, b);
                    composer::SaveTextFile(path, a);
                }
            },
            rng);
    }
}

// Every write of the settings store rewrites the whole file: a writer killed during one
// leaves the file as it was before that write or after it.
TEST_F(CrashSafeFiles, KilledSettingsWritersLeaveTheOldOrTheNewFile) {
    const QString path = Path("Varoku.ini");
    const std::string valueA = BigText('a', 4000), valueB = BigText('b', 3000);
    std::string a, b;
    {
        composer::TExIniFile ini;
        ini.SetFileName(path);
        ini.WriteInteger("CONFIG", "Caraia", 1);
        ini.WriteFencedString("MWORD", "Big", Flat(valueB), composer::fcNone);
        b = ReadFile(path);
        ini.WriteFencedString("MWORD", "Big", Flat(valueA), composer::fcNone);
        a = ReadFile(path);
    }
    ASSERT_NE(a, b);
    KillWhileWriting(
        path, a, b, 334,
        [&] {
            composer::TExIniFile ini;
            ini.SetFileName(path);
            for (;;) {
                ini.WriteFencedString("MWORD", "Big", Flat(valueB), composer::fcNone);
                ini.WriteFencedString("MWORD", "Big", Flat(valueA), composer::fcNone);
            }
        },
        rng);
}

// The window's closing sequence: every value into the store, then one write of the
// whole file. With a long address book that write is long, and a session ended by a
// kill during it must still find the old settings or the new ones.
void CloseLikeTheWindow(const QString& path, const std::vector<std::string>& names, int carrier) {
    composer::TExIniFile ini;
    ini.SetFileName(path);
    ini.SetAutoUpdate(false);
    platform::TWindowPlacement placement;
    placement.Right = 640 + carrier;
    placement.Bottom = 480;
    ini.WritePlacement("FORM", "MAINFORM", placement);
    ini.WriteBool("CONFIG", "BTN01", carrier == 1);
    ini.WriteInteger("CONFIG", "CARRIER", carrier);
    ini.WriteStrings("MEMBER", "NAME", names);
    ini.WriteStrings("MAIL", "E-MAIL", {"a" + std::to_string(carrier) + "@example.jp"});
    ini.SetAutoUpdate(true);
    ini.Flush();
}

TEST_F(CrashSafeFiles, AClosingSequenceKilledOnALongListLeavesTheOldOrTheNewFile) {
    const QString path = Path("Varoku.ini");
    std::vector<std::string> namesA, namesB;
    for (int i = 0; i < 20000; ++i) {
        namesA.push_back("\x8e\x52\x93\x63 " + std::to_string(i)); // 山田 in Shift-JIS
        namesB.push_back("name " + std::to_string(i * 7));
    }
    std::string a, b;
    // The pauses reach past the time the parent takes for one closing, so kills fall
    // anywhere in it: the reload, the store's filling, the write and the rename.
    const auto start = std::chrono::steady_clock::now();
    CloseLikeTheWindow(path, namesB, 1);
    b = ReadFile(path);
    CloseLikeTheWindow(path, namesA, 2);
    a = ReadFile(path);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    ASSERT_NE(a, b);
    ASSERT_GT(a.size(), 200000u);
    const int rounds = static_cast<int>(
        std::getenv("VAROKU_KILL_ROUNDS") ? std::atoi(std::getenv("VAROKU_KILL_ROUNDS")) : 120);
    KillWhileWriting(
        path, a, b, rounds,
        [&] {
            for (;;) {
                CloseLikeTheWindow(path, namesB, 1);
                CloseLikeTheWindow(path, namesA, 2);
            }
        },
        rng, static_cast<unsigned>(std::max<long long>(2 * took.count(), 1000)));
}

// In a child whose files may not grow beyond a few kilobytes (a full disk as the
// writer sees it): the write is refused with an error and the old file stays.
int WriteUnderSizeLimit(const std::function<int()>& attempt) {
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{8192, 8192};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(attempt());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST_F(CrashSafeFiles, AFullDiskLeavesTheOldFileAndReportsTheError) {
    const QString memo = Path("MEMO.txt");
    const std::string old = "old memo \x82\xA0";
    composer::SaveTextFile(memo, old);
    EXPECT_EQ(WriteUnderSizeLimit([&] {
                  try {
                      composer::SaveTextFile(memo, BigText('x', 2000));
                  } catch (const composer::EFileWriteError&) {
                      return 0;
                  }
                  return 1; // the failure was not reported
              }),
              0);
    EXPECT_EQ(ReadFile(memo), old);

    const QString settings = Path("Varoku.ini");
    std::string before;
    {
        composer::TExIniFile ini;
        ini.SetFileName(settings);
        ini.WriteInteger("CONFIG", "Caraia", 2);
        before = ReadFile(settings);
    }
    EXPECT_EQ(WriteUnderSizeLimit([&] {
                  composer::TExIniFile ini;
                  ini.SetFileName(settings);
                  try {
                      ini.WriteFencedString("MWORD", "Big", Flat(BigText('z', 2000)),
                                            composer::fcNone);
                  } catch (const composer::EFileWriteError&) {
                      return 0;
                  }
                  return 1;
              }),
              0);
    EXPECT_EQ(ReadFile(settings), before);
}

// SIGTERM at random moments of a two-thread batch into a folder that already holds its
// pictures, so that every picture is written under a temporary name: whatever moment
// the signal finds, no temporary file is left beside them.
TEST_F(CrashSafeFiles, SignalsDuringABatchLeaveNoTemporaryFiles) {
    const std::string texts = Path("texts.txt").toStdString();
    const std::string out = Path("codes").toStdString();
    std::string lines;
    for (int i = 1; i <= 400; ++i)
        lines += "line " + std::to_string(i) + "\n";
    cli_test::WriteFile(texts, lines);
    const std::vector<std::string> args = {"batch", texts, "-o", out, "-j", "2", "-t", "png"};
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(cli_test::RunQr(args).Exit, 0);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    const std::string log = Path("err.txt").toStdString();
    int ended = 0;
    for (int round = 0; round < 60; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            std::vector<char*> argv{const_cast<char*>(VAROKU_QR_PATH)};
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(VAROKU_QR_PATH, argv.data());
            _exit(127);
        }
        usleep(static_cast<useconds_t>(rng() % std::max<long long>(took.count(), 1000)));
        kill(child, SIGTERM);
        int status = 0;
        waitpid(child, &status, 0);
        ended += WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM ? 1 : 0;
        std::vector<std::string> left;
        for (const auto& e : std::filesystem::directory_iterator(out))
            if (e.path().filename().string().front() == '.') left.push_back(e.path().filename());
        ASSERT_TRUE(left.empty()) << "round " << round << ": " << left.size() << " left, "
                                  << left.front();
    }
    EXPECT_GT(ended, 20) << "most batches should have been ended by the signal";
}

} // namespace
} // namespace hardening
