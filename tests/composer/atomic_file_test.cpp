#include "composer/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
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

#include "composer/atomic_file_detail.h"
#include "composer_test_util.h"

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

    // Special bits too: they survive the change of owner only when it comes first.
    for (const mode_t mode : {0604, 02750, 01640, 04755}) {
        Put(dir / "owned", "old");
        ASSERT_EQ(::chown((dir / "owned").c_str(), 4321, 4322), 0);
        ::chmod((dir / "owned").c_str(), mode);
        ASSERT_TRUE(WriteFileAtomically((dir / "owned").string(), "new", fwKeepExisting).Written);
        const struct stat st = LStat(dir / "owned");
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
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

// A disk that fills while a hard-linked file grows in place: the write fails and every
// name still reads the old contents whole; with room again it goes through.
TEST_F(AtomicFile, FullDiskLeavesAHardLinkedFileWhole) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
    const fs::path small = dir / "small";
    fs::create_directory(small);
    if (::mount("varoku-test", small.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0)
        GTEST_SKIP() << "mounting refused: " << std::strerror(errno);
    struct TUnmount {
        const fs::path& At;
        ~TUnmount() { ::umount2(At.c_str(), MNT_DETACH); }
    } unmount{small};
    const std::string old(20000, 'o');
    Put(small / "a", old);
    fs::create_hard_link(small / "a", small / "b");
    {
        const int fd = ::open((small / "filler").c_str(), O_WRONLY | O_CREAT, 0600);
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
    }
    for (const auto rule : {fwReplaceName, fwKeepExisting}) {
        const auto r = WriteFileAtomically((small / "a").string(), std::string(40000, 'n'), rule);
        EXPECT_FALSE(r.Written);
        EXPECT_NE(r.Error.find("No space left on device"), std::string::npos) << r.Error;
        EXPECT_EQ(Slurp(small / "b"), old);
    }
    fs::remove(small / "filler");
    ASSERT_TRUE(WriteFileAtomically((small / "a").string(), std::string(40000, 'n'), fwKeepExisting)
                    .Written);
    EXPECT_EQ(Slurp(small / "b"), std::string(40000, 'n'));
}

// As root, in a sticky folder anyone may write, a link is followed only when it belongs
// to the folder's owner or to us; elsewhere links are followed whoever owns them.
TEST_F(AtomicFile, OtherUsersLinksInStickyFoldersAreNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give links other owners";
    struct TRow {
        uid_t folderOwner, linkOwner;
        mode_t folderMode;
        bool followed;
    };
    const TRow rows[] = {
        {0, 4321, 01777, false},    {4321, 4321, 01777, true}, {4321, 0, 01777, true},
        {4321, 4322, 01777, false}, {0, 4321, 0777, true},     {0, 4321, 01775, true},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(testing::Message() << std::oct << row.folderMode << std::dec << " folder "
                                        << row.folderOwner << " link " << row.linkOwner);
        const fs::path shared = dir / "shared";
        fs::create_directory(shared);
        ASSERT_EQ(::chown(shared.c_str(), row.folderOwner, row.folderOwner), 0);
        ASSERT_EQ(::chmod(shared.c_str(), row.folderMode), 0);
        Put(dir / "victim", "precious");
        ASSERT_EQ(::symlink((dir / "victim").c_str(), (shared / "out.png").c_str()), 0);
        ASSERT_EQ(::lchown((shared / "out.png").c_str(), row.linkOwner, row.linkOwner), 0);
        for (const auto hint : {composer::fnMayExist, composer::fnNew}) {
            const auto r = WriteFileAtomically((shared / "out.png").string(), "picture",
                                               fwReplaceName, composer::fdSyncEach, hint);
            EXPECT_EQ(r.Written, row.followed) << r.Error;
            if (!row.followed) {
                EXPECT_NE(r.Error.find("Permission denied"), std::string::npos) << r.Error;
            }
        }
        EXPECT_EQ(Slurp(dir / "victim"), row.followed ? "picture" : "precious");
        EXPECT_TRUE(fs::is_symlink(shared / "out.png"));
        fs::remove_all(shared);
    }
}

// A name as long as the file system allows (255 bytes, also in UTF-8) is replaced: the
// temporary name is cut to fit.
TEST_F(AtomicFile, NamesAtTheLengthLimitAreReplaced) {
    std::string kana;
    while (kana.size() + 3 <= 255)
        kana += "\xE3\x81\x82"; // あ
    for (const std::string& name :
         {std::string(247, 'n'), std::string(248, 'n'), std::string(255, 'n'), kana}) {
        Put(dir / name, "old");
        const auto r = WriteFileAtomically((dir / name).string(), "new", fwReplaceName);
        EXPECT_TRUE(r.Written) << name.size() << ": " << r.Error;
        EXPECT_EQ(Slurp(dir / name), "new");
        EXPECT_EQ(Leftovers({name}), 0);
        fs::remove(dir / name);
    }
}

// A file's write permission holds as cp has it: a read-only file in a folder we may
// write is refused with the system's reason (root may write it), and a writable file
// in a folder we may not write is rewritten in place under the replacing rule.
TEST_F(AtomicFile, WritePermissionOfTheFileDecides) {
    ::chmod(dir.c_str(), 0777);
    Put(dir / "readonly", "kept");
    ::chmod((dir / "readonly").c_str(), 0444);
    fs::create_directory(dir / "closed");
    Put(dir / "closed/open", "old");
    ::chmod((dir / "closed/open").c_str(), 0666);
    ::chmod((dir / "closed").c_str(), 0555);
    const int result = composer_test::RunUnprivileged([&] {
        const auto refused = WriteFileAtomically((dir / "readonly").string(), "x", fwReplaceName);
        if (refused.Written || refused.Error.find("Permission denied") == std::string::npos)
            return 1;
        if (WriteFileAtomically((dir / "closed/open").string(), "kept old", fwKeepExisting).Written)
            return 2;
        if (!WriteFileAtomically((dir / "closed/open").string(), "new", fwReplaceName).Written)
            return 3;
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(dir / "readonly"), "kept");
    EXPECT_EQ(Slurp(dir / "closed/open"), "new");
    EXPECT_EQ(Leftovers({"readonly", "closed"}), 0);
    if (::geteuid() == 0) {
        EXPECT_TRUE(
            WriteFileAtomically((dir / "readonly").string(), "root", fwReplaceName).Written);
    }
    ::chmod((dir / "closed").c_str(), 0755);
}

// The writer's open calls as a file system could answer them.
fs::path g_plantAt; // a link planted at the first temporary name, or empty
int g_exclusiveTemporaries = 0;
int PlantingOpen(const char* path, int flags, mode_t mode) {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP; // as on file systems without unnamed files
        return -1;
    }
    if ((flags & O_CREAT) != 0 && !g_plantAt.empty()) {
        (void)!::symlink(g_plantAt.c_str(), path);
        g_plantAt.clear();
    }
    if ((flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL)) ++g_exclusiveTemporaries;
    return ::open(path, flags, mode);
}

// Where unnamed files are refused, temporary names serve; and one is never opened
// when something already has it (a link planted there to make us write elsewhere).
TEST_F(AtomicFile, TemporaryNamesWhereUnnamedFilesAreRefused) {
    composer::atomic_detail::SetOpenCall(PlantingOpen);
    Put(dir / "victim", "precious");
    for (const auto hint : {composer::fnNew, composer::fnMayExist}) {
        g_plantAt = dir / "victim";
        g_exclusiveTemporaries = 0;
        const auto r = WriteFileAtomically((dir / "out").string(), "ours", fwReplaceName,
                                           composer::fdSyncEach, hint);
        EXPECT_TRUE(r.Written) << r.Error;
        EXPECT_GE(g_exclusiveTemporaries, 2);
        EXPECT_EQ(Slurp(dir / "out"), "ours");
        EXPECT_FALSE(fs::is_symlink(dir / "out"));
        EXPECT_EQ(Slurp(dir / "victim"), "precious");
        for (const auto& e : fs::directory_iterator(dir))
            if (fs::is_symlink(e.path())) fs::remove(e.path()); // the planted link
        EXPECT_EQ(Leftovers({"out", "victim"}), 0);
        fs::remove(dir / "out");
    }
    composer::atomic_detail::SetOpenCall(nullptr);
}

// A killed writer's temporary files go once they are old; fresh ones, other names, other
// patterns and links stay.
TEST_F(AtomicFile, StaleTemporariesOfNamedFilesAreRemoved) {
    const char* entries[] = {".varoku.ini.Ab3xYz", ".varoku.ini.Fresh1", ".MEMO.txt.Q9w8E7",
                             ".other.ini.Ab3xYz",  ".varoku.ini.Ab-xYz", ".varoku.ini.Ab3xY",
                             ".varoku.ini.link00"};
    for (const char* e : entries)
        if (std::string_view(e) != ".varoku.ini.link00") Put(dir / e, "left");
    fs::create_symlink(dir / ".varoku.ini.Ab3xYz", dir / ".varoku.ini.link00");
    const timespec old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    for (const char* e : entries)
        if (std::string_view(e) != ".varoku.ini.Fresh1")
            ::utimensat(AT_FDCWD, (dir / e).c_str(), old, AT_SYMLINK_NOFOLLOW);
    EXPECT_EQ(composer::RemoveStaleTemporaries(dir.string(), {"varoku.ini", "MEMO.txt"}), 2);
    EXPECT_FALSE(fs::exists(dir / ".MEMO.txt.Q9w8E7"));
    EXPECT_EQ(Leftovers({".varoku.ini.Fresh1", ".other.ini.Ab3xYz", ".varoku.ini.Ab-xYz",
                         ".varoku.ini.Ab3xY", ".varoku.ini.link00"}),
              0);
}

} // namespace
