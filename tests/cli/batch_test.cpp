// varoku-qr batch: one picture per line, named by line number; a line that fails is
// reported with its number while the others go on; no file is ever left half-written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/pictures.h"
#include "tests/cli/run_cli.h"
#include "tests/support/qt_picture_reader.h"

namespace {

using cli_test::RunQr;
using cli_test::TScratchDir;

std::string Padded(int n) {
    std::string s = std::to_string(n);
    return std::string(3 - s.size(), '0') + s;
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(VarokuQrBatch, FiveHundredLinesOneTooLong) {
    TScratchDir dir;
    std::string input;
    for (int n = 1; n <= 500; ++n)
        input += n == 250 ? std::string(30, 'x') + "\n" : "line " + std::to_string(n) + "\n";
    cli_test::WriteFile(dir.Path() + "/texts.txt", input);
    const std::string out = dir.Path() + "/codes";

    const auto r = RunQr({"batch", dir.Path() + "/texts.txt", "-o", out, "-v", "1", "-t", "png"});
    EXPECT_EQ(r.Exit, 1);
    EXPECT_EQ(Count(r.Err, ": line "), 1) << r.Err;
    EXPECT_NE(
        r.Err.find("varoku-qr: line 250: symbol 1 of 1 does not fit: 30 bytes at version 1-L\n"),
        std::string::npos)
        << r.Err;
    // Progress for a long batch, then the summary.
    EXPECT_NE(r.Err.find("varoku-qr: 250 of 500 lines\n"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("varoku-qr: 500 of 500 lines\n"), std::string::npos) << r.Err;
    EXPECT_TRUE(
        r.Err.ends_with("varoku-qr: 1 of 500 lines failed; the others are in " + out + "\n"))
        << r.Err;
    EXPECT_TRUE(r.Out.empty());

    std::vector<std::string> expected;
    for (int n = 1; n <= 500; ++n)
        if (n != 250) expected.push_back(Padded(n) + ".png");
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(out))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names, expected); // nothing else: no temporary file, no file for line 250

    for (int n = 1; n <= 500; ++n) {
        if (n == 250) continue;
        const auto picture =
            cli_test::PictureOf("png", cli_test::ReadFile(out + "/" + Padded(n) + ".png"));
        const auto read = test_support::ReadPicture(picture);
        ASSERT_TRUE(read.Valid) << "line " << n << ": " << read.Error;
        ASSERT_EQ(read.Bytes, "line " + std::to_string(n));
        ASSERT_EQ(picture.width(), (21 + 8) * 2); // version 1 at the default module size
    }

    // One thread or several (the default is one per processor): the same files and the
    // same messages, in line order.
    for (const std::string jobs : {"1", "3"}) {
        SCOPED_TRACE("-j " + jobs);
        const std::string other = dir.Path() + "/codes-" + jobs;
        const auto rj = RunQr(
            {"batch", dir.Path() + "/texts.txt", "-o", other, "-v", "1", "-t", "png", "-j", jobs});
        EXPECT_EQ(rj.Exit, 1);
        std::string err = rj.Err;
        err.replace(err.rfind(other), other.size(), out);
        EXPECT_EQ(err, r.Err);
        for (const auto& name : expected)
            ASSERT_EQ(cli_test::ReadFile(other + "/" + name), cli_test::ReadFile(out + "/" + name))
                << name;
    }
    // Again into the folder of the first run: the files are replaced, nothing is added.
    const std::string first = cli_test::ReadFile(out + "/" + expected.front());
    std::filesystem::remove(out + "/" + expected.back());
    EXPECT_EQ(RunQr({"batch", dir.Path() + "/texts.txt", "-o", out, "-v", "1", "-t", "png"}).Exit,
              1);
    names.clear();
    for (const auto& e : std::filesystem::directory_iterator(out))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(cli_test::ReadFile(out + "/" + expected.front()), first);
}

TEST(VarokuQrBatch, LinesFromStandardInput) {
    TScratchDir dir;
    // CR LF line breaks, empty lines skipped but counted, one line that is no UTF-8.
    const std::string input = "\xEF\xBB\xBF"
                              "first\r\n\r\nテスト\r\nbad \xC3(\r\n\nlast\n😀";
    const auto r = RunQr({"batch", "-", "-o", dir.Path(), "-t", "utf8"}, input);
    EXPECT_EQ(r.Exit, 2); // as for the one text: an input error
    EXPECT_EQ(r.Err, "varoku-qr: line 4: the text is not valid UTF-8 at byte 5 (use "
                     "--input-encoding sjis for Shift-JIS bytes)\n"
                     "varoku-qr: 1 of 5 lines failed; the others are in " +
                         dir.Path() + "\n");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"1.txt", "3.txt", "6.txt", "7.txt"}));
    const std::pair<const char*, std::string> files[] = {
        {"1.txt", "first"}, {"3.txt", cli_test::ShiftJis("テスト")}, {"6.txt", "last"}};
    for (const auto& [name, bytes] : files) {
        const auto one = RunQr({"-t", "utf8", "--input-encoding", "sjis"}, bytes);
        EXPECT_EQ(cli_test::ReadFile(dir.Path() + "/" + name), one.Out) << name;
    }
    // A line phones cannot read in Shift-JIS goes as UTF-8, as the same text would.
    EXPECT_EQ(cli_test::ReadFile(dir.Path() + "/7.txt"), RunQr({"-t", "utf8"}, "😀").Out);
}

// A batch's file may be larger than any one text could be: only its lines must fit.
TEST(VarokuQrBatch, ReadsFilesOfAnySize) {
    TScratchDir dir;
    const std::string input = std::string((16 << 20) + 1, '\n') + "last\n";
    const auto r = RunQr({"batch", "-", "-o", dir.Path(), "-t", "utf8"}, input);
    EXPECT_EQ(r.Exit, 0) << r.Err;
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"16777218.txt"}));
}

TEST(VarokuQrBatch, AFailedWriteLeavesNoPartialFile) {
    TScratchDir dir;
    // A version 1 PBM is 125 bytes; the 100-byte line needs version 5, 279 bytes.
    const std::string input = "short\n" + std::string(100, 'y') + "\nalso short\n";
    const auto r = RunQr({"batch", "-", "-o", dir.Path()}, input, "", 200);
    EXPECT_EQ(r.Exit, 2); // as a failed write of -o
    EXPECT_NE(
        r.Err.find("varoku-qr: line 2: cannot write " + dir.Path() + "/2.pbm: File too large\n"),
        std::string::npos)
        << r.Err;
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"1.pbm", "3.pbm"}));
    EXPECT_EQ(cli_test::ReadFile(dir.Path() + "/1.pbm"), RunQr({"short"}).Out);
}

TEST(VarokuQrBatch, Refusals) {
    TScratchDir dir;
    struct Row {
        std::vector<std::string> Args;
        std::string Message;
    };
    const Row rows[] = {
        {{"batch", "-"}, "batch needs -o DIR, the folder for its pictures"},
        {{"batch", "-o", dir.Path()}, "batch takes one FILE of texts (- for standard input)"},
        {{"batch", dir.Path() + "/none.txt", "-o", dir.Path() + "/new"},
         "cannot open " + dir.Path() + "/none.txt: No such file or directory"},
        {{"batch", "-", "-o", dir.Path() + "/no/such"},
         "cannot make the folder " + dir.Path() + "/no/such: No such file or directory"},
    };
    for (const Row& row : rows) {
        const auto r = RunQr(row.Args, "text\n");
        EXPECT_EQ(r.Exit, 2) << row.Message;
        EXPECT_EQ(r.Err, "varoku-qr: " + row.Message + "\n");
    }
    EXPECT_TRUE(dir.Entries().empty());

    // Every line failing is not "the others are in DIR", and leaves no empty folder.
    const auto r = RunQr({"batch", "-", "-o", dir.Path() + "/out", "-v", "1"},
                         std::string(30, 'a') + "\n" + std::string(40, 'b') + "\n");
    EXPECT_EQ(r.Exit, 1);
    EXPECT_TRUE(r.Err.ends_with("varoku-qr: all 2 lines failed; nothing was written\n")) << r.Err;
    EXPECT_TRUE(dir.Entries().empty());
}

// Captions need the component, which draws on one thread whatever -j says; an empty
// caption draws nothing and keeps the plain 1-bit PNG of the threads.
TEST(VarokuQrBatch, CaptionsDrawOnOneThreadAndAnEmptyOneKeepsThePlainPicture) {
    TScratchDir dir;
    std::string input;
    for (int n = 1; n <= 2000; ++n)
        input += "https://example.jp/" + std::to_string(n) + "\n";
    const auto svg = RunQr(
        {"batch", "-", "-o", dir.Path() + "/svg", "-t", "svg", "-j", "2", "--comment-up", "Varoku"},
        input);
    EXPECT_EQ(svg.Exit, 0) << svg.Err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() + "/svg"),
                            std::filesystem::directory_iterator()),
              2000);
    EXPECT_NE(cli_test::ReadFile(dir.Path() + "/svg/2000.svg").find("<svg"), std::string::npos);

    const auto png =
        RunQr({"batch", "-", "-o", dir.Path() + "/png", "-t", "png", "-j", "2", "--comment-up", ""},
              "first\nsecond\n");
    EXPECT_EQ(png.Exit, 0) << png.Err;
    for (const char* name : {"1.png", "2.png"}) {
        const std::string bytes = cli_test::ReadFile(dir.Path() + "/png/" + name);
        ASSERT_GT(bytes.size(), 26u) << name;
        EXPECT_EQ(bytes[24], 1) << name << ": bit depth";
    }
}

// The names take as many digits as the file has lines, empty ones counted.
TEST(VarokuQrBatch, TenLinesWithABlankOneAreNamedWithTwoDigits) {
    TScratchDir dir;
    std::string input;
    for (int n = 1; n <= 10; ++n)
        input += n == 5 ? "\n" : "line " + std::to_string(n) + "\n";
    const auto r = RunQr({"batch", "-", "-o", dir.Path(), "-j", "2"}, input);
    EXPECT_EQ(r.Exit, 0) << r.Err;
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{"01.pbm", "02.pbm", "03.pbm", "04.pbm", "06.pbm", "07.pbm",
                                        "08.pbm", "09.pbm", "10.pbm"}));
    EXPECT_EQ(cli_test::ReadFile(dir.Path() + "/10.pbm"), RunQr({"line 10"}).Out);
}

// A gigabyte of input in a few megabytes of memory: the lines are streamed, and one
// line longer than any text could be is refused without being held.
TEST(VarokuQrBatch, StreamsItsInputInLittleMemory) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer reserves its shadow memory beyond any ulimit -v";
#endif
    TScratchDir dir;
    const std::string limit = "ulimit -v 262144; ";
    const std::string qr = std::string("'") + VAROKU_QR_PATH + "' batch ";
    const auto empty = RunQr({"-c", limit + "head -c 1073741824 /dev/zero | tr '\\0' '\\n' | " +
                                        qr + "- -o " + dir.Path() + "/out"},
                             {}, {}, 0, "/bin/sh");
    EXPECT_EQ(empty.Exit, 2);
    EXPECT_EQ(empty.Err, "varoku-qr: standard input holds no text: every line is empty\n");

    // A sparse file: a gigabyte of NUL bytes in one line, then a line of text.
    const std::string big = dir.Path() + "/big.txt";
    const auto made = RunQr({"-c", "truncate -s 1G '" + big + "' && echo >> '" + big +
                                       "' && echo last >> '" + big + "'"},
                            {}, {}, 0, "/bin/sh");
    ASSERT_EQ(made.Exit, 0) << made.Err;
    const auto r =
        RunQr({"-c", limit + qr + "'" + big + "' -o " + dir.Path() + "/out"}, {}, {}, 0, "/bin/sh");
    std::filesystem::remove(big);
    EXPECT_EQ(r.Exit, 1);
    EXPECT_EQ(r.Err, "varoku-qr: line 1: the line is longer than 16777216 bytes; no set of "
                     "symbols can hold it\n"
                     "varoku-qr: 1 of 2 lines failed; the others are in " +
                         dir.Path() + "/out\n");
    EXPECT_EQ(cli_test::ReadFile(dir.Path() + "/out/2.pbm"), RunQr({"last"}).Out);
}

} // namespace
