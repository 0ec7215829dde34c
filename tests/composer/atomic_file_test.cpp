#include "composer/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using composer::fwKeepExisting;
using composer::fwReplaceName;
using composer::WriteFileAtomically;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Put(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

struct stat LStat(const fs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st;
}

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/varoku-atomic-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }
    // Names in the folder other than the ones a case made itself.
    int Leftovers(std::initializer_list<std::string> expected) {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir))
            if (std::find(expected.begin(), expected.end(), e.path().filename()) == expected.end())
                ++n;
        return n;
    }
    fs::path dir;
};

// A new name, and an existing file whose mode and content are kept or replaced, under
// both rules, whether the name was expected to be new or not.
TEST_F(AtomicFile, RegularFilesKeepTheirModeAndGetWholeContent) {
    const std::pair<composer::TFileWriteRule, composer::TFileNameHint> rows[] = {
        {fwReplaceName, composer::fnMayExist},
        {fwKeepExisting, composer::fnMayExist},
        {fwReplaceName, composer::fnNew},
        {fwKeepExisting, composer::fnNew},
    };
    for (const auto& [rule, hint] : rows) {
        const fs::path fresh = dir / "new.txt";
        const fs::path kept = dir / "kept.txt";
        Put(kept, "old contents that are longer");
        ::chmod(kept.c_str(), 0600);
        const mode_t mask = ::umask(022);
        EXPECT_TRUE(
            WriteFileAtomically(fresh.string(), "abc", rule, composer::fdSyncEach, hint).Written);
        EXPECT_TRUE(
            WriteFileAtomically(kept.string(), "new", rule, composer::fdSyncEach, hint).Written);
        ::umask(mask);
        EXPECT_EQ(Slurp(fresh), "abc");
        EXPECT_EQ(LStat(fresh).st_mode & 0777, 0644u);
        EXPECT_EQ(Slurp(kept), "new");
        EXPECT_EQ(LStat(kept).st_mode & 0777, 0600u) << "rule " << rule << " hint " << hint;
        EXPECT_EQ(Leftovers({"new.txt", "kept.txt"}), 0);
        fs::remove(fresh);
        fs::remove(kept);
    }
}

// A link stays a link and its target (relative, absolute, dangling, chained) gets the
// contents, replaced in the target's own folder, also where the name was expected to
// be new.
TEST_F(AtomicFile, SymbolicLinksAreFollowed) {
    fs::create_directory(dir / "sub");
    Put(dir / "sub/target", "old");
    ::chmod((dir / "sub/target").c_str(), 0640);
    fs::create_symlink("sub/target", dir / "relative");
    fs::create_symlink(dir / "relative", dir / "chained");
    fs::create_symlink("sub/missing", dir / "dangling");
    for (const char* link : {"relative", "chained"}) {
        const auto hint = link[0] == 'c' ? composer::fnNew : composer::fnMayExist;
        ASSERT_TRUE(WriteFileAtomically((dir / link).string(), link, fwReplaceName,
                                        composer::fdSyncEach, hint)
                        .Written);
        EXPECT_TRUE(fs::is_symlink(dir / link));
        EXPECT_EQ(Slurp(dir / "sub/target"), link);
        EXPECT_EQ(LStat(dir / "sub/target").st_mode & 0777, 0640u);
    }
    ASSERT_TRUE(WriteFileAtomically((dir / "dangling").string(), "made", fwReplaceName,
                                    composer::fdCallerSyncs, composer::fnNew)
                    .Written);
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_EQ(Slurp(dir / "sub/missing"), "made");
    EXPECT_EQ(Leftovers({"sub", "relative", "chained", "dangling"}), 0);
}

// Every hard link sees the new contents: the file is rewritten in place, and a failed
// fill leaves it untouched.
TEST_F(AtomicFile, HardLinksAreRewrittenInPlace) {
    Put(dir / "a", "a long old text");
    fs::create_hard_link(dir / "a", dir / "b");
    const ino_t inode = LStat(dir / "a").st_ino;
    ASSERT_TRUE(WriteFileAtomically((dir / "a").string(), "short", fwKeepExisting,
                                    composer::fdSyncEach, composer::fnNew)
                    .Written);
    EXPECT_EQ(Slurp(dir / "b"), "short");
    EXPECT_EQ(LStat(dir / "a").st_ino, inode);
    const auto failed = WriteFileAtomically((dir / "b").string(),
                                            [](int fd, int& err) {
                                                err = ENOSPC;
                                                return ::write(fd, "partial", 7) < 0;
                                            },
                                            fwKeepExisting);
    EXPECT_FALSE(failed.Written);
    EXPECT_NE(failed.Error.find("No space"), std::string::npos);
    EXPECT_EQ(Slurp(dir / "a"), "short");
}

// A failed fill keeps the old file and leaves no temporary; a folder is refused.
TEST_F(AtomicFile, FailuresLeaveNothingBehind) {
    Put(dir / "f", "old");
    const auto r = WriteFileAtomically((dir / "f").string(),
                                       [](int, int& err) {
                                           err = EIO;
                                           return false;
                                       },
                                       fwReplaceName);
    EXPECT_FALSE(r.Written);
    EXPECT_EQ(Slurp(dir / "f"), "old");
    // The same for a new name: nothing appears under it.
    EXPECT_FALSE(WriteFileAtomically((dir / "g").string(),
                                     [](int, int& err) {
                                         err = ENOSPC;
                                         return false;
                                     },
                                     fwReplaceName)
                     .Written);
    EXPECT_FALSE(WriteFileAtomically(dir.string(), "x", fwReplaceName).Written);
    EXPECT_EQ(Leftovers({"f"}), 0);
}

// A new name taken by someone else while the contents were written is replaced whole,
// as an existing file would be.
TEST_F(AtomicFile, NameTakenDuringTheWriteIsReplaced) {
    const fs::path raced = dir / "raced";
    const auto r = WriteFileAtomically(
        raced.string(),
        [&](int fd, int& err) {
            Put(raced, "theirs");
            return composer::WriteAll(fd, "ours", 4, err);
        },
        fwReplaceName);
    EXPECT_TRUE(r.Written) << r.Error;
    EXPECT_EQ(Slurp(raced), "ours");
    EXPECT_EQ(Leftovers({"raced"}), 0);
}

// A FIFO is written through to its reader and stays a FIFO.
TEST_F(AtomicFile, FifoIsWrittenThrough) {
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string got;
    std::thread reader([&] { got = Slurp(fifo); });
    EXPECT_TRUE(WriteFileAtomically(fifo.string(), "through", fwKeepExisting).Written);
    reader.join();
    EXPECT_EQ(got, "through");
    EXPECT_TRUE(S_ISFIFO(LStat(fifo).st_mode));
}

// Character devices made in the test's own folder: a null device takes the bytes and
// stays a device, a full one reports the failure. The owner of a file is kept.
TEST_F(AtomicFile, DevicesAndOwnersAsRoot) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root for mknod and chown";
    const fs::path null = dir / "null";
    const fs::path full = dir / "full";
    ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    EXPECT_TRUE(WriteFileAtomically(null.string(), "gone", fwReplaceName).Written);
    EXPECT_TRUE(S_ISCHR(LStat(null).st_mode));
    const auto r = WriteFileAtomically(full.string(), "x", fwReplaceName);
    EXPECT_FALSE(r.Written);
    EXPECT_TRUE(S_ISCHR(LStat(full).st_mode));

    Put(dir / "owned", "old");
    ASSERT_EQ(::chown((dir / "owned").c_str(), 4321, 4322), 0);
    ::chmod((dir / "owned").c_str(), 0604);
    ASSERT_TRUE(WriteFileAtomically((dir / "owned").string(), "new", fwKeepExisting).Written);
    const struct stat st = LStat(dir / "owned");
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
    EXPECT_EQ(Leftovers({"null", "full", "owned"}), 0);
}

// A write ended by SIGTERM takes its temporary file with it.
TEST_F(AtomicFile, SignalRemovesTheTemporaryFile) {
    // Over an existing file, the one case that writes under a temporary name.
    Put(dir / "out", "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        composer::RemoveTemporariesOnSignal();
        WriteFileAtomically((dir / "out").string(),
                            [](int fd, int&) {
                                (void)!::write(fd, "part", 4);
                                ::raise(SIGTERM);
                                return true;
                            },
                            fwReplaceName);
        std::_Exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(Slurp(dir / "out"), "old");
    EXPECT_EQ(Leftovers({"out"}), 0);
}

} // namespace
