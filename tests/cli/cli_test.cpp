// varoku-qr as a user meets it: exit statuses, the one-line refusals, nothing written
// on failure, the version it picks, and symbols that a real reader decodes to the
// bytes it was given.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/app_version.h"
#include "tests/cli/pictures.h"
#include "tests/cli/run_cli.h"
#include "tests/support/grey_image.h"
#include "tests/support/zxing_reader.h"

namespace {

using cli_test::ParsePbm;
using cli_test::ParseRawPbm;
using cli_test::RunQr;
using cli_test::TScratchDir;

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::string Lines(const cli_test::TRun& r) {
    return "stdout " + std::to_string(r.Out.size()) + " bytes, stderr: " + r.Err;
}

struct TRefusal {
    std::vector<std::string> Args;
    std::string Input;
    int Exit;
    std::string Message; // the whole of standard error after "varoku-qr: ", without the line break
};

TEST(VarokuQr, RefusesWithOneLineAndNoOutput) {
    const TRefusal rows[] = {
        {{"--bogus"}, "", 2, "unknown option '--bogus' (see --help)"},
        {{"-x", "a"}, "", 2, "unknown option '-x' (see --help)"},
        {{"--version", "0", "a"}, "", 2, "--version takes a number 1..40 or auto, not '0'"},
        {{"--version=41", "a"}, "", 2, "--version takes a number 1..40 or auto, not '41'"},
        {{"-v", "7x", "a"}, "", 2, "-v takes a number 1..40 or auto, not '7x'"},
        {{"--level", "X", "a"}, "", 2, "--level takes L, M, Q or H, not 'X'"},
        {{"--mode", "latin", "a"},
         "",
         2,
         "--mode takes auto, numeric, alnum, byte or kanji, not 'latin'"},
        {{"--mask", "8", "a"}, "", 2, "--mask takes a number 0..7 or auto, not '8'"},
        {{"--segments", "best", "a"}, "", 2, "--segments takes optimal or greedy, not 'best'"},
        {{"--count", "0", "a"}, "", 2, "--count takes a number 1..1024 or auto, not '0'"},
        {{"--count", "1025", "a"}, "", 2, "--count takes a number 1..1024 or auto, not '1025'"},
        {{"--split", "twice", "a"}, "", 2, "--split takes single, connect or plus, not 'twice'"},
        {{"--pxmag", "101", "a"}, "", 2, "--pxmag takes a number 1..100, not '101'"},
        {{"-m", "101", "a"}, "", 2, "-m takes a number 0..100, not '101'"},
        {{"--dpi", "0", "a"}, "", 2, "--dpi takes a number 1..100000, not '0'"},
        {{"--fg", "#12345", "a"},
         "",
         2,
         "--fg takes a colour as #rrggbb, #rrggbbaa, a CSS name or transparent, not '#12345'"},
        {{"--bg", "blurple", "a"},
         "",
         2,
         "--bg takes a colour as #rrggbb, #rrggbbaa, a CSS name or transparent, not 'blurple'"},
        {{"--encoding", "latin1", "a"}, "", 2, "--encoding takes auto, sjis or utf8, not 'latin1'"},
        {{"--encoding", "utf8", "--input-encoding", "sjis", "a"},
         "",
         2,
         "--encoding utf8 writes UTF-8 text, so it needs UTF-8 input, not --input-encoding sjis"},
        {{"--encoding", "utf8", "--eci", "20", "a"},
         "",
         2,
         "--encoding utf8 is announced as ECI 26; --eci 20 would tell readers another character "
         "set"},
        {{"--encoding", "sjis", "--eci", "26", "a"},
         "",
         2,
         "--eci 26 announces UTF-8, which --encoding sjis does not write"},
        // A designator given says what the text becomes.
        {{"--eci", "20", "😀"},
         "",
         2,
         "character U+1F600 '\xF0\x9F\x98\x80' at position 1 has no Shift-JIS form"},
        {{"batch", "--verbose", "f", "-o", "d"},
         "",
         2,
         "--verbose is not an option of batch (see --help)"},
        // An extension we do not write was once filled with PBM.
        {{"-o", "x.jpg", "a"},
         "",
         2,
         "-o x.jpg: .jpg is no picture type varoku-qr writes; name the file .pbm, .png, .svg, "
         ".pdf, .eps or .txt (utf8), or give -t"},
        // What the component draws keeps its limits, and says so.
        {{"-t", "pdf", "--comment-up", "X", "-s", "11", "a"},
         "",
         2,
         "--pxmag 11 is beyond a PDF picture with captions, which the desktop component draws, "
         "which takes 1..10 (up to 100 without captions)"},
        {{"-t", "pbm-text", "-m", "2", "a"},
         "",
         2,
         "--margin 2 is beyond the component's PBM text (pbm-text) which keeps a quiet zone of 4 "
         "modules"},
        {{"-t", "svg", "--comment-up", "X", "--bg", "transparent", "a"},
         "",
         2,
         "a transparent colour is beyond a SVG picture with captions, which the desktop "
         "component draws, which draws opaque colours only"},
        {{"-t", "eps", "--fg", "#00000080", "a"},
         "",
         2,
         "EPS has no transparency: give an opaque --fg, and --bg opaque or transparent"},
        {{"--input-encoding", "latin1", "a"},
         "",
         2,
         "--input-encoding takes utf8 or sjis, not 'latin1'"},
        {{"--binary=yes", "a"}, "", 2, "--binary takes no value"},
        {{"a", "-o"}, "", 2, "-o needs a value"},
        {{"a", "--version"},
         "",
         2,
         "--version needs a value (the symbol version 1..40 or auto); the program's own "
         "version is -V, --program-version"},
        {{}, "", 2, "the text is empty: nothing to encode (--allow-empty makes an empty symbol)"},
        {{"-t", "utf8", ""},
         "",
         2,
         "the text is empty: nothing to encode (--allow-empty makes an empty symbol)"},
        // Content a fixed mode cannot carry is an input error, not a size problem.
        {{"--mode", "numeric", "12a4"},
         "",
         2,
         "byte 0x61 at position 3 cannot be carried in numeric mode"},
        {{"--mode", "alnum", "ABc"},
         "",
         2,
         "byte 0x63 at position 3 cannot be carried in alphanumeric mode"},
        {{"--mode", "kanji", "--input-encoding", "sjis"},
         "\x82\xA0\x82",
         2,
         "the last byte 0x82 cannot be carried in Kanji mode"},
        // 0xEBC0 lies past the end of the Kanji range.
        {{"--mode", "kanji", "--input-encoding", "sjis"},
         "\x82\xA0\xEB\xC0",
         2,
         "byte 0xEB at position 3 cannot be carried in Kanji mode"},
        {{},
         "ab\xC3(",
         2,
         "the text is not valid UTF-8 at byte 3 (use --input-encoding sjis for Shift-JIS bytes)"},
        {{},
         "\xED\xA0\x80",
         2,
         "the text is not valid UTF-8 at byte 1 (use --input-encoding sjis for Shift-JIS bytes)"},
        {{"--encoding", "sjis", "a\xF0\x9F\x98\x80"},
         "",
         2,
         "character U+1F600 '\xF0\x9F\x98\x80' at position 2 has no Shift-JIS form"},
        {{"--version", "1", "--level", "H", Repeat("1", 18)},
         "",
         1,
         "symbol 1 of 1 does not fit: 18 bytes at version 1-H"},
        {{"--version", "1", "--mode", "byte", Repeat("1", 18)},
         "",
         1,
         "symbol 1 of 1 does not fit: 18 bytes at version 1-L in 8-bit byte mode"},
        {{Repeat("a", 2954)},
         "",
         1,
         "symbol 1 of 1 does not fit: 2954 bytes at version 40-L, the largest"},
        // The first slice (digits) fits 1-L, the second (letters) does not.
        {{"--version", "1", "--split", "plus", "--count", "2", Repeat("1", 20) + Repeat("a", 20)},
         "",
         1,
         "symbol 2 of 2 does not fit: 20 bytes at version 1-L"},
        {{"--split", "connect", "--count", "2", "--level", "H"},
         Repeat("a", 2 * 1273),
         1,
         "symbol 1 of 2 does not fit: 1273 bytes at version 40-H, the largest"},
    };
    for (const auto& row : rows) {
        const auto r = RunQr(row.Args, row.Input);
        SCOPED_TRACE(row.Message);
        EXPECT_EQ(r.Exit, row.Exit) << Lines(r);
        EXPECT_EQ(r.Err, "varoku-qr: " + row.Message + "\n");
        EXPECT_TRUE(r.Out.empty());
    }
}

TEST(VarokuQr, RefusesInputLargerThanAnySetOfSymbols) {
    const auto r = RunQr({"--input-encoding", "sjis"}, std::string((16 << 20) + 1, 'a'));
    EXPECT_EQ(r.Exit, 1);
    EXPECT_NE(r.Err.find("no set of symbols can hold it"), std::string::npos) << r.Err;
    EXPECT_TRUE(r.Out.empty());
}

TEST(VarokuQr, HelpGoesToStandardOutput) {
    for (const char* flag : {"--help", "-h"}) {
        const auto r = RunQr({flag});
        EXPECT_EQ(r.Exit, 0);
        EXPECT_TRUE(r.Out.starts_with("Usage: varoku-qr")) << r.Out;
        EXPECT_TRUE(r.Err.empty());
    }
}

TEST(VarokuQr, FailureLeavesNoFileAndKeepsTheOldOne) {
    TScratchDir dir;
    const std::string target = dir.Path() + "/out.pbm";

    auto r = RunQr({"-o", target, "--version", "1", Repeat("a", 18)});
    EXPECT_EQ(r.Exit, 1);
    EXPECT_TRUE(dir.Entries().empty());

    cli_test::WriteFile(target, "old picture\n");
    r = RunQr({"-o", target, "--version", "1", Repeat("a", 18)});
    EXPECT_EQ(r.Exit, 1);
    EXPECT_EQ(cli_test::ReadFile(target), "old picture\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.pbm"});

    r = RunQr({"-o", dir.Path() + "/missing/out.pbm", "HELLO"});
    EXPECT_EQ(r.Exit, 2);
    EXPECT_TRUE(r.Err.starts_with("varoku-qr: cannot create a file in ")) << r.Err;
    EXPECT_TRUE(r.Out.empty());
}

TEST(VarokuQr, WriteFailureLeavesTheOldFileWhole) {
    TScratchDir dir;
    const std::string target = dir.Path() + "/out.pbm";
    cli_test::WriteFile(target, "old picture\n");
    // About 135 kB of picture against a 4 kB limit: the write fails half-way.
    const auto r = RunQr({"-o", target, "-v", "10", "-s", "4", "HELLO"}, "", "", 4096);
    EXPECT_EQ(r.Exit, 2);
    EXPECT_EQ(r.Err, "varoku-qr: cannot write " + target + ": File too large\n");
    EXPECT_EQ(cli_test::ReadFile(target), "old picture\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.pbm"});
}

// -o writes through what is not a plain name: a link's target is replaced (the link
// stays), a private file stays private, a device takes the bytes and stays a device,
// and a full one (like --help into it) is a failure.
TEST(VarokuQr, OutputWritesThroughLinksAndDevices) {
    TScratchDir dir;
    const std::string target = dir.Path() + "/target.pbm";
    cli_test::WriteFile(target, "old\n");
    ::chmod(target.c_str(), 0600);
    ASSERT_EQ(::symlink("target.pbm", (dir.Path() + "/link.pbm").c_str()), 0);
    auto r = RunQr({"-o", dir.Path() + "/link.pbm", "HELLO"});
    ASSERT_EQ(r.Exit, 0) << r.Err;
    struct stat st {};
    ASSERT_EQ(::lstat((dir.Path() + "/link.pbm").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(cli_test::ReadFile(target), RunQr({"HELLO"}).Out);
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"link.pbm", "target.pbm"}));

    // Our own descriptors are written through where they stand: the shell's ">>" file
    // keeps what it held, and a pipe works.
    const std::string hello = RunQr({"-t", "utf8", "hi"}).Out;
    // A link of the user's to standard output ends at our descriptor too.
    const std::string toStdout = dir.Path() + "/to-stdout";
    ASSERT_EQ(::symlink("/dev/stdout", toStdout.c_str()), 0);
    for (const std::string& own : {std::string("/dev/stdout"), std::string("/dev/fd/1"),
                                   std::string("/proc/self/fd/1"), toStdout}) {
        EXPECT_EQ(RunQr({"-t", "utf8", "-o", own, "hi"}).Out, hello) << own;
        const std::string log = dir.Path() + "/log.txt";
        cli_test::WriteFile(log, "earlier lines\n");
        const std::string command =
            std::string(VAROKU_QR_PATH) + " -t utf8 -o " + own + " hi >> " + log;
        ASSERT_EQ(std::system(command.c_str()), 0) << own;
        EXPECT_EQ(cli_test::ReadFile(log), "earlier lines\n" + hello) << own;
    }
    ::unlink((dir.Path() + "/log.txt").c_str());
    EXPECT_EQ(RunQr({"-t", "utf8", "-o", "/dev/stderr", "hi"}).Err, hello);
    ASSERT_EQ(::lstat(toStdout.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ::unlink(toStdout.c_str());

    if (::geteuid() != 0) GTEST_SKIP() << "devices need root";
    const std::string null = dir.Path() + "/null", full = dir.Path() + "/full";
    ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    EXPECT_EQ(RunQr({"-o", null, "-t", "png", "HELLO"}).Exit, 0);
    ASSERT_EQ(::lstat(null.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    r = RunQr({"-o", full, "HELLO"});
    EXPECT_EQ(r.Exit, 2);
    EXPECT_NE(r.Err.find("No space left on device"), std::string::npos) << r.Err;
    for (const char* option : {"--help", "-V"}) {
        const std::string command = std::string(VAROKU_QR_PATH) + " " + option + " > " + full +
                                    " 2> " + dir.Path() + "/err";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << option;
        EXPECT_NE(cli_test::ReadFile(dir.Path() + "/err").find("cannot write standard output"),
                  std::string::npos);
    }
}

TEST(VarokuQr, OutputFileHoldsWhatStandardOutputWould) {
    TScratchDir dir;
    cli_test::WriteFile(dir.Path() + "/out.pbm", "old picture\n");
    const auto toStdout = RunQr({"-l", "Q", "HELLO"});
    ASSERT_EQ(toStdout.Exit, 0);
    // A relative name lands in the working directory, and replaces the old file.
    const auto toFile = RunQr({"-l", "Q", "--output=out.pbm", "HELLO"}, "", dir.Path());
    ASSERT_EQ(toFile.Exit, 0) << toFile.Err;
    EXPECT_TRUE(toFile.Out.empty());
    EXPECT_EQ(cli_test::ReadFile(dir.Path() + "/out.pbm"), toStdout.Out);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.pbm"});
    struct stat st {};
    ASSERT_EQ(::stat((dir.Path() + "/out.pbm").c_str(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << "the file keeps its temporary private mode";
}

struct TVersionRow {
    std::vector<std::string> Args;
    std::string Text;
    int Version;
};

TEST(VarokuQr, AutoVersionIsTheSmallestThatHoldsEverySymbol) {
    const TVersionRow rows[] = {
        {{"-l", "M"}, "HELLO WORLD", 1},
        {{}, Repeat("a", 17), 1},
        {{}, Repeat("a", 18), 2},
        {{}, Repeat("7", 41), 1},
        {{}, Repeat("7", 42), 2},
        {{}, Repeat("a", 230), 9},
        {{}, Repeat("a", 271), 10},
        {{}, Repeat("a", 272), 11},
        {{"-l", "H"}, Repeat("a", 1273), 40},
        // The structured-append header costs 20 bits: 15 bytes per 1-L symbol, not 17.
        {{"--split", "connect", "--count", "2"}, Repeat("a", 30), 1},
        {{"--split", "connect", "--count", "2"}, Repeat("a", 32), 2},
        {{"--split", "plus", "--count", "2"}, Repeat("a", 34), 1},
        {{"--version", "auto", "--count", "4"}, Repeat("a", 4 * 18), 2},
        {{"--version", "7"}, "A", 7},
        // Optimal segments by default: one byte segment of 316 bits fits 3-M (352), the
        // greedy rule's seven (388 bits) need 4-M.
        {{"-l", "M"}, "Meeting at the station tomorrow at ten", 3},
        {{"-l", "M", "--segments", "greedy"}, "Meeting at the station tomorrow at ten", 4},
        {{"-l", "M", "--segments=optimal"}, "Meeting at the station tomorrow at ten", 3},
    };
    for (const auto& row : rows) {
        auto args = row.Args;
        args.push_back(row.Text);
        const auto r = RunQr(args);
        SCOPED_TRACE(std::to_string(row.Text.size()) + " bytes, expected version " +
                     std::to_string(row.Version));
        ASSERT_EQ(r.Exit, 0) << r.Err;
        const auto pbm = ParseRawPbm(r.Out);
        ASSERT_TRUE(pbm.Problem.empty()) << pbm.Problem;
        EXPECT_EQ(pbm.Width, 4 * row.Version + 17 + 8);
    }
}

struct TRoundTrip {
    const char* Name;
    std::vector<std::string> Args;
    std::string Input;               // standard input, used when Args holds no text
    std::vector<std::string> Slices; // the bytes each symbol must carry
    std::string ModeLine;
    int Pxmag = 1;
    const char* Level = "L";
    bool Linked = false;
    const char* Text = nullptr; // the text a reader shows, when the row is about it
};

TEST(VarokuQr, SymbolsReadBackAsTheirBytes) {
    // 日本語 and テスト in code page 932.
    const std::string nihongo = "\x93\xFA\x96\x7B\x8C\xEA";
    const std::string tesuto = "\x83\x65\x83\x58\x83\x67";
    const TRoundTrip rows[] = {
        {"alphanumeric",
         {"-l", "M", "HELLO WORLD"},
         "",
         {"HELLO WORLD"},
         "Single Mode (Count = 1)",
         1,
         "M"},
        {"words joined", {"hello,", "world"}, "", {"hello, world"}, "Single Mode (Count = 1)"},
        {"utf8 to Shift-JIS", {"日本語テスト"}, "", {nihongo + tesuto}, "Single Mode (Count = 1)"},
        // Characters phones cannot read in Shift-JIS send the text to UTF-8 with ECI 26:
        // an emoji, a code page 932 extension of IBM (髙) and of NEC (①).
        {"emoji as UTF-8", {"a😀"}, "", {"a😀"}, "Single Mode (Count = 1)", 1, "L", false, "a😀"},
        {"IBM extension as UTF-8",
         {"髙橋"},
         "",
         {"髙橋"},
         "Single Mode (Count = 1)",
         1,
         "L",
         false,
         "髙橋"},
        {"NEC extension as UTF-8", {"①"}, "", {"①"}, "Single Mode (Count = 1)", 1, "L", false, "①"},
        {"ECI 26 asked",
         {"--eci", "26", "日本"},
         "",
         {"日本"},
         "Single Mode (Count = 1)",
         1,
         "L",
         false,
         "日本"},
        {"UTF-8 asked",
         {"--encoding", "utf8", "日本"},
         "",
         {"日本"},
         "Single Mode (Count = 1)",
         1,
         "L",
         false,
         "日本"},
        {"Shift-JIS asked keeps code page 932",
         {"--encoding", "sjis", "①"},
         "",
         {"\x87\x40"},
         "Single Mode (Count = 1)"},
        {"boost",
         {"--boost", "HELLO WORLD"},
         "",
         {"HELLO WORLD"},
         "Single Mode (Count = 1)",
         1,
         "Q"},
        {"boost keeps a count",
         {"--boost", "--count", "2", "-v", "1", "ABCD"},
         "",
         {"AB", "CD"},
         "Connect Mode (Count = 2)",
         1,
         "H",
         true},
        {"Shift-JIS kept",
         {"--input-encoding", "sjis"},
         nihongo + "\xB1\xB2",
         {nihongo + "\xB1\xB2"},
         "Single Mode (Count = 1)"},
        {"stdin with its line break",
         {},
         "line one\r\nline two\n",
         {"line one\r\nline two\n"},
         "Single Mode (Count = 1)"},
        {"byte-order mark dropped",
         {},
         "\xEF\xBB\xBF"
         "abc",
         {"abc"},
         "Single Mode (Count = 1)"},
        {"lone dash is stdin", {"-"}, "from stdin", {"from stdin"}, "Single Mode (Count = 1)"},
        {"after --", {"--", "-v"}, "", {"-v"}, "Single Mode (Count = 1)"},
        {"escapes", {"--binary", "A~0D0A~B~~"}, "", {"A\r\nB~"}, "Single Mode (Count = 1)"},
        {"malformed escape taken literally",
         {"--binary", "A~0~B"},
         "",
         {"A~0~B"},
         "Single Mode (Count = 1)"},
        {"empty text, asked for", {"--allow-empty", ""}, "", {""}, "Single Mode (Count = 1)"},
        {"fixed everything, magnified",
         {"-v", "5", "-l", "Q", "--mask", "5", "--mode", "byte", "-s", "3", "QR"},
         "",
         {"QR"},
         "Single Mode (Count = 1)",
         3,
         "Q"},
        {"fixed Kanji", {"--mode", "kanji", "日本語"}, "", {nihongo}, "Single Mode (Count = 1)"},
        {"connect",
         {"--split", "connect", "--count", "3", "abcdefghij"},
         "",
         {"abcd", "efgh", "ij"},
         "Connect Mode (Count = 3)",
         1,
         "L",
         true},
        // Two symbols requested with a count only: linked, as the component links 2..16.
        {"count alone links",
         {"--count", "2", "ABCD"},
         "",
         {"AB", "CD"},
         "Connect Mode (Count = 2)",
         1,
         "L",
         true},
        {"connect without a count",
         {"--split", "connect", "ABCD"},
         "",
         {"AB", "CD"},
         "Connect Mode (Count = 2)",
         1,
         "L",
         true},
        {"plus",
         {"--split", "plus", "--count", "3", "abcdefghij"},
         "",
         {"abcd", "efgh", "ij"},
         "Plus Mode (Count = 3)"},
        // Double-byte characters are never cut in two: 6 bytes in 2 become 2 + 4.
        {"division keeps characters whole",
         {"--split", "plus", "--count", "2", "日本語"},
         "",
         {nihongo.substr(0, 2), nihongo.substr(2)},
         "Plus Mode (Count = 2)"},
        {"more symbols than bytes",
         {"--split", "plus", "--count", "5", "abc"},
         "",
         {"a", "b", "c"},
         "Plus Mode (Count = 3)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        auto args = row.Args;
        // The levels asked for; the rows about --boost turn it on again.
        args.insert(args.begin(), {"-t", "pbm-text", "--no-boost"});
        const auto r = RunQr(args, row.Input);
        ASSERT_EQ(r.Exit, 0) << r.Err;
        // The standard bitmaps carry the same pictures as the component's text.
        args[1] = "pbm";
        const auto raw = ParseRawPbm(RunQr(args, row.Input).Out);
        ASSERT_TRUE(raw.Problem.empty()) << raw.Problem;
        if (std::string(row.Name).starts_with("malformed"))
            EXPECT_NE(r.Err.find("warning"), std::string::npos);
        else
            EXPECT_TRUE(r.Err.empty()) << r.Err;
        const auto pbm = ParsePbm(r.Out);
        ASSERT_TRUE(pbm.Problem.empty()) << pbm.Problem;
        EXPECT_EQ(pbm.Header[0], "P1");
        EXPECT_EQ(pbm.Header[1], row.ModeLine);
        ASSERT_EQ(pbm.Pictures.size(), row.Slices.size());
        EXPECT_EQ(raw.Width, pbm.Width);
        EXPECT_EQ(raw.Pictures, pbm.Pictures);
        EXPECT_EQ(pbm.Width % row.Pxmag, 0);
        const int modules = pbm.Width / row.Pxmag - 8;
        int parity = 0;
        for (const auto& s : row.Slices)
            for (unsigned char b : s)
                parity ^= b;
        for (std::size_t k = 0; k < pbm.Pictures.size(); ++k) {
            const auto& picture = pbm.Pictures[k];
            // The quiet zone is light; every module is Pxmag x Pxmag entries.
            for (int y = 0; y < pbm.Width; ++y)
                for (int x = 0; x < pbm.Width; ++x) {
                    const int q = 4 * row.Pxmag;
                    if (y < q || x < q || y >= pbm.Width - q || x >= pbm.Width - q) {
                        ASSERT_FALSE(picture[y][x]) << "quiet zone at " << y << "," << x;
                    }
                    ASSERT_EQ(picture[y][x], picture[y - y % row.Pxmag][x - x % row.Pxmag]);
                }
            const auto read = test_support::ZxingReadModules(modules, [&](int rr, int cc) {
                return picture[(rr + 4) * row.Pxmag][(cc + 4) * row.Pxmag];
            });
            ASSERT_TRUE(read.Valid) << "symbol " << k + 1 << ": " << read.Error;
            EXPECT_EQ(read.Bytes, row.Slices[k]) << "symbol " << k + 1;
            EXPECT_EQ(read.EcLevel, row.Level);
            if (row.Text) {
                EXPECT_EQ(read.Text, row.Text);
            }
            if (row.Linked) {
                EXPECT_EQ(read.SequenceIndex, static_cast<int>(k));
                EXPECT_EQ(read.SequenceSize, static_cast<int>(row.Slices.size()));
                EXPECT_EQ(read.SequenceId, std::to_string(parity));
            } else {
                EXPECT_EQ(read.SequenceIndex, -1);
            }
        }
    }
}

} // namespace

// The netpbm tools and ImageMagick read every symbol of a .pbm file, at its size.
TEST(VarokuQr, StandardPbmOpensInNetpbmAndImageMagick) {
    TScratchDir dir;
    const std::string path = dir.Path() + "/set.pbm";
    const auto r = RunQr({"-o", path, "-s", "3", "--split", "plus", "--count", "3", "abcdefghij"});
    ASSERT_EQ(r.Exit, 0) << r.Err;
    auto output = [](const std::string& command) {
        std::string text;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return text;
        char buf[256];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
            text.append(buf, n);
        return ::pclose(pipe) == 0 ? text : "failed: " + text;
    };
    const std::string netpbm = output("pnmfile --allimages '" + path + "'");
    const std::string magick = output("identify '" + path + "'");
    // Version 1: (21 + 8) * 3 pixels square.
    for (int k = 0; k < 3; ++k) {
        EXPECT_NE(netpbm.find("Image " + std::to_string(k) + ":\tPBM raw, 87 by 87"),
                  std::string::npos)
            << netpbm;
        EXPECT_NE(magick.find("set.pbm[" + std::to_string(k) + "] PBM 87x87"), std::string::npos)
            << magick;
    }
    EXPECT_EQ(netpbm.find("Image 3:"), std::string::npos) << netpbm;
}

namespace {

struct TCountRow {
    std::vector<std::string> Args;
    std::string Text;
    std::string ModeLine;
    int Count;
};

TEST(VarokuQr, CountAutoTakesTheFewestSymbolsThatCarryTheText) {
    // Version 1-L holds 17 bytes alone, 15 with the structured-append header.
    const TCountRow rows[] = {
        {{"-v", "1"}, Repeat("a", 17), "Single Mode (Count = 1)", 1},
        {{"-v", "1"}, Repeat("a", 18), "Connect Mode (Count = 2)", 2},
        {{"-v", "1"}, Repeat("a", 100), "Connect Mode (Count = 7)", 7},
        {{"-v", "1", "--split", "connect"}, "abc", "Connect Mode (Count = 2)", 2},
        {{"-v", "1", "--split", "plus"}, Repeat("a", 100), "Plus Mode (Count = 6)", 6},
        {{"-v", "1", "--split", "plus"}, Repeat("a", 17 * 40 + 1), "Plus Mode (Count = 41)", 41},
        {{"-v", "3", "-l", "H"}, Repeat("日本語のテキスト", 12), "Connect Mode (Count = 8)", 8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ModeLine);
        auto args = row.Args;
        args.insert(args.end(), {"-t", "pbm-text", "--count", "auto", row.Text});
        const auto r = RunQr(args);
        ASSERT_EQ(r.Exit, 0) << r.Err;
        const auto pbm = ParsePbm(r.Out);
        ASSERT_TRUE(pbm.Problem.empty()) << pbm.Problem;
        EXPECT_EQ(pbm.Header[1], row.ModeLine);
        EXPECT_EQ(static_cast<int>(pbm.Pictures.size()), row.Count);
        if (row.Count > 2) {
            // One symbol fewer does not do.
            auto fewer = row.Args;
            const bool plus = row.ModeLine.starts_with("Plus");
            fewer.insert(fewer.end(), {"--split", plus ? "plus" : "connect", "--count",
                                       std::to_string(row.Count - 1), row.Text});
            EXPECT_EQ(RunQr(fewer).Exit, 1);
        }
    }
}

TEST(VarokuQr, CountAutoRefusals) {
    const TRefusal rows[] = {
        {{"--count", "auto", "a"},
         "",
         2,
         "--count auto needs a fixed --version (1..40): it chooses the fewest symbols of that "
         "version"},
        {{"-v", "1", "--count", "auto", "--split", "single", "a"},
         "",
         2,
         "--count auto and --split single exclude each other"},
        {{"-v", "1", "--count", "auto", Repeat("a", 300)},
         "",
         1,
         "the text (300 bytes) does not fit in 16 linked symbols of version 1-L"},
        {{"-v", "1", "--count", "auto", "--mode", "numeric", "--split", "plus"},
         Repeat("7", 41 * 1024 + 1),
         1,
         "the text (41985 bytes) does not fit in 1024 symbols of version 1-L in numeric mode"},
    };
    for (const auto& row : rows) {
        const auto r = RunQr(row.Args, row.Input);
        SCOPED_TRACE(row.Message);
        EXPECT_EQ(r.Exit, row.Exit);
        EXPECT_EQ(r.Err, "varoku-qr: " + row.Message + "\n");
        EXPECT_TRUE(r.Out.empty());
    }
}

TEST(VarokuQr, ReadsTheTextFromAFile) {
    TScratchDir dir;
    cli_test::WriteFile(dir.Path() + "/text.txt", "from a file\r\n");
    const auto fromFile = RunQr({"-r", dir.Path() + "/text.txt"}, "not this");
    ASSERT_EQ(fromFile.Exit, 0) << fromFile.Err;
    EXPECT_EQ(fromFile.Out, RunQr({"--", "from a file\r\n"}).Out);

    const TRefusal rows[] = {
        {{"-r", dir.Path() + "/none"},
         "",
         2,
         "cannot open " + dir.Path() + "/none: No such file or directory"},
        {{"-r", dir.Path() + "/text.txt", "more"},
         "",
         2,
         "-r reads the text from a file; give no TEXT with it"},
        {{"--read-from="}, "", 2, "--read-from needs a file name"},
    };
    for (const auto& row : rows) {
        const auto r = RunQr(row.Args, row.Input);
        EXPECT_EQ(r.Exit, row.Exit);
        EXPECT_EQ(r.Err, "varoku-qr: " + row.Message + "\n");
    }
}

TEST(VarokuQr, RefusesADrawingLibraryOfAnotherBuild) {
    // A caption needs the drawing library, found beside the program.
    for (const bool stale : {false, true}) {
        TScratchDir dir;
        const std::string program = dir.Path() + "/varoku-qr";
        cli_test::WriteFile(program, cli_test::ReadFile(VAROKU_QR_PATH));
        cli_test::WriteFile(
            dir.Path() + "/libvaroku-qr-draw.so",
            cli_test::ReadFile(stale ? VAROKU_STALE_DRAW_PATH : VAROKU_QR_DRAW_PATH));
        ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
        const auto r = RunQr({"-t", "png", "--comment-up", "X", "-o", dir.Path() + "/a.png", "hi"},
                             {}, {}, 0, program);
        SCOPED_TRACE(stale ? "stale" : "same build");
        EXPECT_EQ(r.Exit, stale ? 2 : 0) << r.Err;
        if (stale) {
            EXPECT_NE(r.Err.find("belongs to another build of varoku-qr"), std::string::npos)
                << r.Err;
        }
        // SVG, PDF and EPS without captions never open the library.
        for (const char* type : {"svg", "pdf", "eps"}) {
            const auto plain =
                RunQr({"-t", type, "-o", dir.Path() + "/a." + type, "hi"}, {}, {}, 0, program);
            EXPECT_EQ(plain.Exit, 0) << type << ": " << plain.Err;
        }
    }
}

// Japanese text is converted by the program itself: it needs no drawing library.
TEST(VarokuQr, ConvertsJapaneseTextWithoutTheDrawingLibrary) {
    TScratchDir dir;
    const std::string program = dir.Path() + "/varoku-qr";
    cli_test::WriteFile(program, cli_test::ReadFile(VAROKU_QR_PATH));
    ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
    const std::string text = "明日10時に東京駅の丸の内北口で。～①";
    const auto alone = RunQr({"-t", "png", "--encoding", "sjis", text}, {}, {}, 0, program);
    ASSERT_EQ(alone.Exit, 0) << alone.Err;
    EXPECT_EQ(alone.Out, RunQr({"-t", "png", "--encoding", "sjis", "--input-encoding", "sjis",
                                cli_test::ShiftJis(text)})
                             .Out);
    const auto refused = RunQr({"--encoding", "sjis", "東京𠮷"}, {}, {}, 0, program);
    EXPECT_EQ(refused.Exit, 2);
    EXPECT_EQ(refused.Err,
              "varoku-qr: character U+20BB7 '𠮷' at position 3 has no Shift-JIS form\n");
}

TEST(VarokuQr, ProgramVersionAndHelp) {
    for (const char* flag : {"-V", "--program-version"}) {
        const auto r = RunQr({flag});
        EXPECT_EQ(r.Exit, 0);
        EXPECT_EQ(r.Out, "varoku-qr " + platform::FileVersion() + "\n");
    }
    EXPECT_FALSE(platform::FileVersion().empty());
    const auto help = RunQr({"mail", "--help"}).Out;
    for (const char* option : {"--version N|auto",
                               "--level",
                               "--mode",
                               "--mask",
                               "--count N|auto",
                               "--split",
                               "--binary",
                               "--read-from",
                               "--type pbm|png|svg|pdf|eps|utf8|pbm-text",
                               "--encoding auto|sjis|utf8",
                               "--boost, --no-boost",
                               "-m, --margin N",
                               "--dpi N",
                               "--svg-title TEXT",
                               "--svg-desc TEXT",
                               "--verbose",
                               "--output",
                               "--pxmag",
                               "--columns",
                               "--angle",
                               "--rotate",
                               "--mirror",
                               "--fg",
                               "--bg",
                               "--comment-up",
                               "--comment-down",
                               "--comment-loc",
                               "--numbering",
                               "--invert",
                               "--carrier",
                               "--to",
                               "--subject",
                               "--subject-from-body",
                               "--subject-hello",
                               "--body",
                               "--family",
                               "--given",
                               "--family-kana",
                               "--given-kana",
                               "--tel",
                               "--tel2",
                               "--mail",
                               "--mail2",
                               "--memo",
                               "--title",
                               "--url",
                               "--print-payload",
                               "--program-version",
                               "--jobs",
                               "batch FILE -o DIR"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

// --verbose tells what was built; the bits of the segments add up to the bits used.
TEST(VarokuQr, VerboseTellsVersionLevelMaskAndSegments) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> rows[] = {
        // The standard's example: 8 digits in 41 bits.
        {{"-v", "1", "-l", "M", "01234567"},
         {"symbol 1 of 1: version 1-M, mask ", "  numeric, 8 digits: 41 bits\n",
          "  data bits used: 41 of 128\n"}},
        // --boost is on with --version auto: Q still holds the text at version 1.
        {{"HELLO WORLD"}, {"version 1-Q", "  alphanumeric, 11 characters: 74 bits\n"}},
        {{"a😀"}, {"  ECI 26: 12 bits\n", "  8-bit byte, 5 bytes: 52 bits\n"}},
        {{"--count", "2", "-v", "1", "ABCD"},
         {"symbol 2 of 2: version 1-L", "  structured append 2 of 2, parity 0x04: 20 bits\n"}},
    };
    for (const auto& [args, expected] : rows) {
        auto all = args;
        all.insert(all.begin(), {"--verbose", "-t", "pbm"});
        const auto r = RunQr(all);
        SCOPED_TRACE(args.back());
        ASSERT_EQ(r.Exit, 0) << r.Err;
        for (const auto& part : expected)
            EXPECT_NE(r.Err.find(part), std::string::npos) << part << " in\n" << r.Err;
        int sum = 0;
        int symbols = 0;
        std::size_t start = 0;
        for (std::size_t nl; (nl = r.Err.find('\n', start)) != std::string::npos; start = nl + 1) {
            const std::string line = r.Err.substr(start, nl - start);
            int used = 0, available = 0;
            if (std::sscanf(line.c_str(), "  data bits used: %d of %d", &used, &available) == 2) {
                EXPECT_EQ(used, sum) << line;
                EXPECT_LE(used, available);
                sum = 0;
                ++symbols;
            } else if (line.starts_with("  ")) {
                sum += std::atoi(line.c_str() + line.rfind(": ") + 2);
            }
        }
        EXPECT_GE(symbols, 1);
    }
}

TEST(VarokuQr, PictureTypeFollowsTheFileName) {
    TScratchDir dir;
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"-o", "a.png"}, "\x89PNG"},
        {{"-o", "a.SVG"}, "<?xml"},
        {{"-o", "a.pdf"}, "%PDF"},
        {{"-o", "a.txt"}, "  "},
        {{"-o", "a.eps"}, "%!PS-Adobe-3.0 EPSF-3.0\n"},
        {{"-o", "noextension"}, "P4\n"},
        {{"-o", "a.pbm", "-t", "pbm-text"}, "P1\nSingle Mode"},
        {{"-o", "b.pbm", "-t", "utf8"}, "  "},
    };
    for (const auto& [args, start] : rows) {
        auto all = args;
        all.push_back("HELLO");
        const auto r = RunQr(all, "", dir.Path());
        ASSERT_EQ(r.Exit, 0) << r.Err;
        EXPECT_TRUE(cli_test::ReadFile(dir.Path() + "/" + args[1]).starts_with(start)) << args[1];
    }
    const auto warned =
        RunQr({"-t", "pbm", "--angle", "90", "--fg", "#ff0000", "-s", "2", "HELLO"});
    EXPECT_EQ(warned.Exit, 0);
    EXPECT_EQ(warned.Err, "varoku-qr: warning: --angle does not apply to PBM pictures\n"
                          "varoku-qr: warning: --fg does not apply to PBM pictures\n");
}

TEST(VarokuQr, EveryTypeKeepsTheOldFileWhenAWriteFails) {
    for (const char* type : {"png", "svg", "pdf", "utf8"}) {
        TScratchDir dir;
        const std::string target = dir.Path() + "/out";
        cli_test::WriteFile(target, "old picture\n");
        std::vector<std::string> args = {"-t", type, "-o", target, "-v", "20", "HELLO"};
        if (type != std::string("utf8")) args.insert(args.end(), {"-s", "10"});
        const auto r = RunQr(args, "", "", 512);
        EXPECT_EQ(r.Exit, 2) << type;
        EXPECT_EQ(r.Err, "varoku-qr: cannot write " + target + ": File too large\n");
        EXPECT_EQ(cli_test::ReadFile(target), "old picture\n");
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out"});
    }
}

} // namespace
