#include "composer/ex_ini_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <utime.h>

#include "composer/file_error.h"
#include "composer_test_util.h"

namespace {

using composer_test::ReadAll;
using composer_test::WriteAll;

using composer::TExIniFile;
using composer_test::ShiftJis;

class ExIniFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("varoku.ini");
    }
    // A store on `path` after the file holds `bytes`.
    void Open(TExIniFile& ini, std::string_view bytes) {
        WriteAll(path, bytes);
        ini.SetFileName(path);
    }

    QTemporaryDir dir;
    QString path;
};

// A file kept by hand: lower case, blanks around "=", comments, junk before the first
// section, a repeated section, lines without "=", values that are not integers.
const char kHandEdited[] = "; settings\r\n"
                           "stray=line before any section\r\n"
                           "[ config ]\r\n"
                           "  groval = 0x14  \r\n"
                           "MEMOCHK=yes\n"
                           "\tbtn01 =1\r"
                           "a line without equals\r\n"
                           "; CARRIER=1\r\n"
                           "CARRIER=$0A\r\n"
                           "NULLSUB=-2\r\n"
                           "BAD=12abc\r\n"
                           "EMPTY=\r\n"
                           "EQ=a=b\r\n"
                           "\r\n"
                           "[MEMBER]\r\n"
                           "NAME.Count=2\r\n"
                           "NAME.0=\x8e\x52\x93\x63\r\n" // 山田
                           "NAME.1=\"quoted\"\r\n"
                           "[CONFIG]\r\n"
                           "GROVAL=99\r\n"
                           "CLIPBOAD=1\r\n";

TEST_F(ExIniFile, HandEditedFileReads) {
    TExIniFile ini;
    Open(ini, kHandEdited);
    EXPECT_EQ(ini.ReadInteger("CONFIG", "GROVAL", 15), 20); // the first CONFIG wins
    EXPECT_FALSE(ini.ReadBool("CONFIG", "MEMOCHK", false));
    EXPECT_TRUE(ini.ReadBool("CONFIG", "MEMOCHK", true)); // "yes" is no number
    EXPECT_TRUE(ini.ReadBool("Config", "BTN01", false));
    EXPECT_EQ(ini.ReadInteger("CONFIG", "CARRIER", 0), 10);
    EXPECT_EQ(ini.ReadInteger("CONFIG", "NULLSUB", 0), -2);
    EXPECT_EQ(ini.ReadInteger("CONFIG", "BAD", 7), 7);
    EXPECT_EQ(ini.ReadInteger("CONFIG", "EMPTY", 7), 7);
    EXPECT_FALSE(ini.ReadBool("CONFIG", "CLIPBOAD", false)); // only in the second CONFIG
    EXPECT_EQ(ini.ReadInteger("CONFIG", "MISSING", 15), 15);
    EXPECT_EQ(ini.ReadInteger("NOSECTION", "GROVAL", 15), 15);
    EXPECT_EQ(ini.ReadFencedString("CONFIG", "EQ", "", composer::fcNone), "a=b");
    EXPECT_EQ(ini.ReadFencedString("CONFIG", "a line without equals", "d", composer::fcNone), "d");
    EXPECT_EQ(ini.ReadFencedString("", "stray", "d", composer::fcNone), "d");

    std::vector<std::string> names;
    ini.ReadStrings("member", "name", names);
    EXPECT_EQ(names, (std::vector<std::string>{ShiftJis("山田"), "\"quoted\""}));
    ini.SetFence(composer::fcDoubleQuote);
    ini.ReadStrings("MEMBER", "NAME", names);
    EXPECT_EQ(names, (std::vector<std::string>{ShiftJis("山田"), "quoted"}));
}

TEST_F(ExIniFile, HandEditedFileRewrites) {
    TExIniFile ini;
    Open(ini, kHandEdited);
    ini.WriteInteger("CONFIG", "groVAL", 25); // replaced in place, in the writer's spelling
    ini.WriteInteger("Config", "NEWKEY", 1);  // appended to the first CONFIG
    ini.WriteBool("MAIL", "X", true);         // a new section at the end
    EXPECT_EQ(ReadAll(path), "[config]\r\n"
                             "groVAL=25\r\n"
                             "MEMOCHK=yes\r\n"
                             "btn01=1\r\n"
                             "a line without equals\r\n"
                             "CARRIER=$0A\r\n"
                             "NULLSUB=-2\r\n"
                             "BAD=12abc\r\n"
                             "EMPTY=\r\n"
                             "EQ=a=b\r\n"
                             "NEWKEY=1\r\n"
                             "\r\n"
                             "[MEMBER]\r\n"
                             "NAME.Count=2\r\n"
                             "NAME.0=\x8e\x52\x93\x63\r\n"
                             "NAME.1=\"quoted\"\r\n"
                             "\r\n"
                             "[CONFIG]\r\n"
                             "GROVAL=99\r\n"
                             "CLIPBOAD=1\r\n"
                             "\r\n"
                             "[MAIL]\r\n"
                             "X=1\r\n"
                             "\r\n");
}

TEST_F(ExIniFile, IntegerValues) {
    const std::pair<const char*, int> valid[] = {
        {"20", 20},
        {"-5", -5},
        {"+7", 7},
        {"0x14", 20},
        {"0X1f", 31},
        {"$FF", 255},
        {"$ffffffff", -1},
        {"0x80000000", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"000", 0},
    };
    for (const auto& [text, expected] : valid) {
        int value = 12345;
        EXPECT_TRUE(composer::ini_detail::ParseIniInteger(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text : {"", "0x", "$", "0xG", "$-1", "1.5", "1e3", "2147483648", "0x100000000",
                             "--5", "+-5", "-+5", "5 ", " 5", "yes", "0x 1"}) {
        int value = 12345;
        EXPECT_FALSE(composer::ini_detail::ParseIniInteger(text, value)) << text;
        EXPECT_EQ(value, 12345) << text;
    }
}

TEST_F(ExIniFile, LineEndingsAndTrimming) {
    const auto sections = composer::ini_detail::ParseIni(
        "[A]\rk1=1\nk2=2\r\n\r\r\n\n k3 \t=\t 3 \x01\r\n;c\r\n[B\x1f]\r\n  ;x=1\r\n[ ]\r\nz");
    ASSERT_EQ(sections.size(), 3u);
    EXPECT_EQ(sections[0].Name, "A");
    EXPECT_EQ(sections[0].Lines, (std::vector<std::string>{"k1=1", "k2=2", "k3=3"}));
    EXPECT_EQ(sections[1].Name, "B");
    EXPECT_TRUE(sections[1].Lines.empty());
    EXPECT_EQ(sections[2].Name, "");
    EXPECT_EQ(sections[2].Lines, (std::vector<std::string>{"z"}));
}

// A file saved by an editor that puts a UTF-8 mark first: the first section still reads,
// and the mark goes back where it was.
TEST_F(ExIniFile, ByteOrderMarkIsNoPartOfTheFirstSection) {
    TExIniFile ini;
    Open(ini, "\xEF\xBB\xBF[CONFIG]\r\nCARRIER=2\r\n");
    EXPECT_EQ(ini.ReadInteger("CONFIG", "CARRIER", 0), 2);
    ini.SetAutoUpdate(true);
    ini.WriteInteger("CONFIG", "CARRIER", 1);
    ini.Flush();
    EXPECT_EQ(ReadAll(path), "\xEF\xBB\xBF[CONFIG]\r\nCARRIER=1\r\n\r\n");
}

// A FIFO as the settings file: the store starts empty at once instead of waiting for a
// writer, and a write is refused with the window's reason, leaving the FIFO in place.
TEST_F(ExIniFile, FifoIsRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(composer_test::RunWithin(
                  5,
                  [&] {
                      TExIniFile ini;
                      ini.SetFileName(path);
                      if (ini.ReadInteger("CONFIG", "CARRIER", 7) != 7) return 1;
                      try {
                          ini.WriteInteger("CONFIG", "CARRIER", 1);
                          return 2;
                      } catch (const composer::EFileWriteError& e) {
                          return std::strstr(e.what(), composer::kNotRegularFileWords) ? 0 : 3;
                      }
                  }),
              0);
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A temporary file that a killed write left beside the settings goes when the store
// loads; a fresh one may be a running window's and stays.
TEST_F(ExIniFile, LoadingRemovesStaleTemporaries) {
    WriteAll(dir.filePath(".varoku.ini.Ab3xYz"), std::string(1000, 'x'));
    WriteAll(dir.filePath(".varoku.ini.Fresh1"), "x");
    const utimbuf old{::time(nullptr) - 3600, ::time(nullptr) - 3600};
    ::utime(QFile::encodeName(dir.filePath(".varoku.ini.Ab3xYz")).constData(), &old);
    TExIniFile ini;
    Open(ini, "[CONFIG]\r\nCARRIER=2\r\n");
    EXPECT_EQ(ini.ReadInteger("CONFIG", "CARRIER", 0), 2);
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{".varoku.ini.Fresh1", "varoku.ini"}));
}

// The trail byte of a two-byte character is no letter: ア (0x83 0x41) and ヂ (0x83 0x61)
// differ only in a byte that case folding would wrongly make equal.
TEST_F(ExIniFile, NamesMatchWithoutCaseButTwoByteCharactersExactly) {
    TExIniFile ini;
    Open(ini, "[\x83\x41]\r\nKey=1\r\n[S]\r\n\x83\x41=2\r\n");
    EXPECT_EQ(ini.ReadInteger("\x83\x41", "key", 0), 1);
    EXPECT_EQ(ini.ReadInteger("\x83\x61", "key", 0), 0);
    EXPECT_EQ(ini.ReadInteger("s", "\x83\x41", 0), 2);
    EXPECT_EQ(ini.ReadInteger("s", "\x83\x61", 0), 0);

    ini.SetCaseSensitive(true);
    EXPECT_EQ(ini.ReadInteger("\x83\x41", "key", 0), 0);
    EXPECT_EQ(ini.ReadInteger("\x83\x41", "Key", 0), 1);
    ini.SetFileName(path); // a new store starts case-insensitive
    EXPECT_FALSE(ini.CaseSensitive());
    EXPECT_EQ(ini.ReadInteger("\x83\x41", "key", 0), 1);
}

// Keys that differ in letter case only: the first line of a matching name wins, a
// write replaces that line in place, and a new spelling is found once written.
TEST_F(ExIniFile, RepeatedKeysFindTheFirstMatchingLine) {
    TExIniFile ini;
    Open(ini, "[S]\r\nname=1\r\nNAME=2\r\nName=3\r\nname=4\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "NAME", 0), 1);
    ini.SetCaseSensitive(true);
    EXPECT_EQ(ini.ReadInteger("S", "NAME", 0), 2);
    EXPECT_EQ(ini.ReadInteger("S", "Name", 0), 3);
    EXPECT_EQ(ini.ReadInteger("S", "nAME", 0), 0);
    ini.WriteInteger("S", "Name", 5);
    ini.WriteInteger("S", "nAME", 6);
    EXPECT_EQ(ini.ReadInteger("S", "nAME", 0), 6);
    ini.SetCaseSensitive(false);
    ini.WriteInteger("S", "NaMe", 7);
    EXPECT_EQ(ReadAll(path), "[S]\r\nNaMe=7\r\nNAME=2\r\nName=5\r\nname=4\r\nnAME=6\r\n\r\n");
}

// A list the size of the largest address book goes out whole, in order, and comes back.
TEST_F(ExIniFile, LargestListSurvivesARoundTrip) {
    std::vector<std::string> items;
    for (int i = 0; i < 100000; ++i)
        items.push_back(ShiftJis("名前") + std::to_string(i * 7919 % 100003));
    TExIniFile ini;
    ini.SetFileName(path);
    ini.WriteStrings("MEMBER", "NAME", items);
    ini.WriteStrings("MEMBER", "NAME", items); // rewritten in place, not appended
    TExIniFile again;
    again.SetFileName(path);
    std::vector<std::string> read;
    again.ReadStrings("MEMBER", "NAME", read);
    EXPECT_EQ(read, items);
    const auto sections = composer::ini_detail::ParseIni(ReadAll(path));
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0].Lines.size(), items.size() + 1);
}

TEST_F(ExIniFile, FirstWrittenFileHasTheClosingOrder) {
    TExIniFile ini;
    ini.SetFileName(path);
    platform::TWindowPlacement placement;
    placement.Flags = 0;
    placement.ShowCmd = platform::swNormal;
    placement.Left = 10;
    placement.Top = 20;
    placement.Right = 560;
    placement.Bottom = 720;
    ini.WritePlacement("FORM", "MAINFORM", placement);
    ini.WriteBool("CONFIG", "BTN01", false);
    ini.WriteInteger("CONFIG", "GROVAL", 15);
    ini.WriteInteger("CONFIG", "CARRIER", 1);
    ini.WriteInteger("CONFIG", "NULLSUB", 2);
    ini.WriteBool("CONFIG", "MEMOCHK", true);
    ini.WriteStrings("MEMBER", "NAME", {ShiftJis("佐藤"), "Bob"});
    ini.WriteStrings("MWORD", "CONTS", {});
    ini.WriteStrings("MAKER", "KEITAI", {"Docomo", "Softbank", "AU"});
    ini.WriteStrings("MAIL", "E-MAIL", {"a@b.jp"});
    EXPECT_EQ(ReadAll(path),
              "[FORM]\r\nMAINFORM.Flags=0\r\nMAINFORM.Show=1\r\nMAINFORM.MaxX=-1\r\n"
              "MAINFORM.MaxY=-1\r\nMAINFORM.X=10\r\nMAINFORM.Y=20\r\nMAINFORM.XSize=560\r\n"
              "MAINFORM.YSize=720\r\n\r\n"
              "[CONFIG]\r\nBTN01=0\r\nGROVAL=15\r\nCARRIER=1\r\nNULLSUB=2\r\nMEMOCHK=1\r\n\r\n"
              "[MEMBER]\r\nNAME.Count=2\r\nNAME.0=" +
                  ShiftJis("佐藤") +
                  "\r\nNAME.1=Bob\r\n\r\n"
                  "[MWORD]\r\nCONTS.Count=0\r\n\r\n"
                  "[MAKER]\r\nKEITAI.Count=3\r\nKEITAI.0=Docomo\r\nKEITAI.1=Softbank\r\n"
                  "KEITAI.2=AU\r\n\r\n"
                  "[MAIL]\r\nE-MAIL.Count=1\r\nE-MAIL.0=a@b.jp\r\n\r\n");

    TExIniFile again;
    again.SetFileName(path);
    platform::TWindowPlacement restored;
    restored.MaxX = 5;
    again.ReadPlacement("FORM", "MAINFORM", restored);
    EXPECT_EQ(restored.Left, 10);
    EXPECT_EQ(restored.Bottom, 720);
    EXPECT_EQ(restored.MaxX, -1);
    EXPECT_EQ(again.ReadInteger("CONFIG", "NULLSUB", 0), 2);
}

// A deleted entry leaves the file: a user deleting a private address expects it gone.
// Keys that only look alike stay.
TEST_F(ExIniFile, ShrinkingListRemovesTheItemsBeyondTheCount) {
    TExIniFile ini;
    Open(ini, "[member]\r\nname.7=old@example.jp\r\nNAME.X=keep\r\nNAMES.4=keep\r\n"
              "NAME.04=keep\r\n[MAIL]\r\nNAME.4=other section\r\n");
    ini.WriteStrings("MEMBER", "NAME", {"a", "b", "c", "d", "e"});
    ini.WriteStrings("MEMBER", "NAME", {"x", "y", "z"});
    const std::string text = ReadAll(path);
    EXPECT_NE(text.find("NAME.Count=3\r\n"), std::string::npos);
    EXPECT_EQ(text.find("=d\r\n"), std::string::npos);
    EXPECT_EQ(text.find("=e\r\n"), std::string::npos);
    EXPECT_EQ(text.find("old@example.jp"), std::string::npos);
    for (const char* kept : {"NAME.X=keep", "NAMES.4=keep", "NAME.04=keep", "NAME.4=other section"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;

    TExIniFile again;
    again.SetFileName(path);
    std::vector<std::string> names{"old"};
    again.ReadStrings("MEMBER", "NAME", names);
    EXPECT_EQ(names, (std::vector<std::string>{"x", "y", "z"}));
    ini.WriteStrings("MEMBER", "NAME", {"after"});
    ini.ReadStrings("MEMBER", "NAME", names); // the index still finds the keys
    EXPECT_EQ(names, std::vector<std::string>{"after"});
}

TEST_F(ExIniFile, ListDefaults) {
    TExIniFile ini;
    Open(ini, "[L]\r\nA.Count=4\r\nA.0=one\r\nA.2=three\r\n"
              "B.Count=0\r\nC.Count=-3\r\nD.Count=x\r\nE.Count=2147483647\r\n");
    struct Row {
        const char* key;
        std::vector<std::string> before;
        std::vector<std::string> after;
    };
    const Row rows[] = {
        // Missing items take the target's item at that index, or nothing.
        {"A", {"t0", "t1"}, {"one", "t1", "three", ""}},
        {"B", {"t0"}, {}},
        {"C", {"t0"}, {}},
        {"D", {"t0", "t1"}, {"t0", "t1"}}, // unreadable count: the target's own
        {"MISSING", {"t0"}, {"t0"}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> list = row.before;
        ini.ReadStrings("L", row.key, list);
        EXPECT_EQ(list, row.after) << row.key;
    }
    std::vector<std::string> huge;
    ini.ReadStrings("L", "E", huge); // a hand-edited count does not exhaust memory
    EXPECT_EQ(huge.size(), 100000u);
}

TEST_F(ExIniFile, FencedStrings) {
    TExIniFile ini;
    ini.SetFileName(path);
    ini.WriteFencedString("S", "D", "two words", composer::fcDoubleQuote);
    ini.WriteFencedString("S", "Q", "it", composer::fcSingleQuote);
    ini.WriteFencedString("S", "One", "\"", composer::fcNone);
    EXPECT_NE(ReadAll(path).find("D=\"two words\"\r\nQ='it'\r\nOne=\"\r\n"), std::string::npos);

    EXPECT_EQ(ini.ReadFencedString("S", "D", "", composer::fcNone), "\"two words\"");
    ini.SetFence(composer::fcDoubleQuote);
    EXPECT_EQ(ini.ReadFencedString("S", "D", "", composer::fcNone), "two words");
    EXPECT_EQ(ini.ReadFencedString("S", "Q", "", composer::fcNone), "'it'");
    EXPECT_EQ(ini.ReadFencedString("S", "One", "", composer::fcNone), "\"");
    EXPECT_EQ(ini.ReadFencedString("S", "Missing", "d", composer::fcDoubleQuote), "d");
    EXPECT_EQ(ini.ReadFencedString("S", "Missing", "d", composer::fcSingleQuote), "'d'");
    ini.SetFence(composer::fcSingleQuote);
    EXPECT_EQ(ini.ReadFencedString("S", "Q", "", composer::fcNone), "it");
}

TEST_F(ExIniFile, WithoutAutoUpdateOrFileNameNothingIsWritten) {
    TExIniFile ini;
    ini.WriteInteger("A", "B", 1); // no file name: a store in memory only
    EXPECT_EQ(ini.ReadInteger("A", "B", 0), 1);

    ini.SetFileName(path);
    ini.SetAutoUpdate(false);
    ini.WriteInteger("A", "B", 2);
    ini.Flush();
    EXPECT_FALSE(QFileInfo::exists(path));
    ini.SetAutoUpdate(true);
    ini.Flush();
    EXPECT_EQ(ReadAll(path), "[A]\r\nB=2\r\n\r\n");
}

TEST_F(ExIniFile, BaseDirPlacesBareNames) {
    composer_test::ScopedCurrentDir here(dir.path());
    TExIniFile ini;
    EXPECT_EQ(ini.BaseDir(), composer::bdApplication);
    ini.SetFileName("a.ini");
    EXPECT_EQ(QFileInfo(ini.Path()).absolutePath(),
              QFileInfo(QFileInfo("/proc/self/exe").canonicalFilePath()).absolutePath());
    ini.SetBaseDir(composer::bdNone);
    EXPECT_EQ(ini.Path(), QDir(dir.path()).absoluteFilePath("a.ini"));
    ini.SetBaseDir(composer::bdWindows);
    EXPECT_EQ(ini.Path(), "/etc/a.ini");
    ini.SetBaseDir(composer::bdAppData);
    EXPECT_TRUE(ini.Path().endsWith("/a.ini"));
    ini.SetFileName(dir.filePath("sub/b.ini")); // a directory part is used as given
    EXPECT_EQ(ini.Path(), dir.filePath("sub/b.ini"));

    TExIniFile designed;
    designed.Loaded(); // no name: the executable's, with ".ini"
    EXPECT_EQ(QFileInfo(designed.FileName()).fileName(),
              QFileInfo(QFileInfo("/proc/self/exe").canonicalFilePath()).completeBaseName() +
                  ".ini");
}

TEST_F(ExIniFile, ReloadDiscardsTheStore) {
    TExIniFile ini;
    Open(ini, "[A]\r\nB=1\r\n");
    WriteAll(path, "[A]\r\nB=2\r\n");
    EXPECT_EQ(ini.ReadInteger("A", "B", 0), 1); // reads never touch the disk
    ini.SetFileName(path);
    EXPECT_EQ(ini.ReadInteger("A", "B", 0), 2);
    ini.SetFileName(dir.filePath("none.ini"));
    EXPECT_EQ(ini.ReadInteger("A", "B", 0), 0);
}

// A write that cannot finish leaves the previous file as it was and raises.
TEST_F(ExIniFile, FailedWriteInReadOnlyDirectoryKeepsTheOldFile) {
    const std::string before = "; mine\r\n[CONFIG]\r\nGROVAL=30\r\n";
    WriteAll(path, before);
    // The file itself stays writable: only a write in place could succeed.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(
        dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                        QFileDevice::ExeOther | QFileDevice::ReadGroup | QFileDevice::ExeGroup));
    const int result = composer_test::RunUnprivileged([&] {
        TExIniFile ini;
        ini.SetFileName(path);
        if (ini.ReadInteger("CONFIG", "GROVAL", 0) != 30) {
            return 1;
        }
        try {
            ini.WriteInteger("CONFIG", "GROVAL", 31);
        } catch (const composer::EFileWriteError&) {
            return 0;
        }
        return 2;
    });
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"varoku.ini"});
}

// The disk filling up half-way through the rewrite (a file size limit stands in for it).
TEST_F(ExIniFile, WriteFailingHalfWayKeepsTheOldFile) {
    const std::string before = "[CONFIG]\r\nGROVAL=30\r\n";
    WriteAll(path, before);
    TExIniFile ini;
    ini.SetFileName(path);
    ini.SetAutoUpdate(false);
    std::vector<std::string> many(2000, std::string(40, 'n'));
    ini.WriteStrings("MEMBER", "NAME", many);
    ini.SetAutoUpdate(true);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool raised = false;
    try {
        ini.Flush();
    } catch (const composer::EFileWriteError& error) {
        raised = true;
        EXPECT_NE(std::string(error.what()).find("varoku.ini"), std::string::npos);
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"varoku.ini"});

    ini.Flush(); // room again: the whole store goes out
    TExIniFile again;
    again.SetFileName(path);
    std::vector<std::string> names;
    again.ReadStrings("MEMBER", "NAME", names);
    EXPECT_EQ(names, many);
}

// A file that exists but cannot be read is never replaced by an empty store.
TEST_F(ExIniFile, UnreadableFileIsNotOverwritten) {
    const std::string before = "[CONFIG]\r\nGROVAL=30\r\n";
    WriteAll(path, before);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner | QFileDevice::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(
        dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther));
    const int result = composer_test::RunUnprivileged([&] {
        TExIniFile ini;
        ini.SetFileName(path);
        if (ini.ReadInteger("CONFIG", "GROVAL", 15) != 15) {
            return 1;
        }
        try {
            ini.WriteInteger("CONFIG", "GROVAL", 31);
        } catch (const composer::EFileWriteError&) {
            return 0;
        }
        return 2;
    });
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadAll(path), before);
}

// Random bytes around a well-formed section: loading never fails, and the section's key
// reads the same before and after a rewrite.
TEST_F(ExIniFile, RandomBytesNeverLoseAWellFormedKey) {
    std::mt19937 random(20240601);
    const std::string alphabet = "[]=; \t\r\n\x81\x83\x41\x5d\x00"
                                 "abcAB0x$";
    for (int round = 0; round < 300; ++round) {
        auto garbage = [&] {
            std::string bytes(random() % 400, '\0');
            const bool structured = round % 2 == 0;
            for (char& byte : bytes) {
                byte = structured ? alphabet[random() % alphabet.size()]
                                  : static_cast<char>(random() & 0xFF);
            }
            return bytes;
        };
        const std::string file =
            garbage() + "\r\n[WELLFORMED]\r\nKEEP=" + std::to_string(round) + "\r\n" + garbage();
        TExIniFile ini;
        Open(ini, file);
        ASSERT_EQ(ini.ReadInteger("WELLFORMED", "KEEP", -1), round) << round;
        ini.WriteInteger("OTHER", "X", 1);
        TExIniFile again;
        again.SetFileName(path);
        ASSERT_EQ(again.ReadInteger("WELLFORMED", "KEEP", -1), round) << round;
        // Whatever the garbage held, the rewrite reads back as the same store.
        EXPECT_EQ(composer::ini_detail::SerializeIni(composer::ini_detail::ParseIni(ReadAll(path))),
                  ReadAll(path));
    }
}

} // namespace
