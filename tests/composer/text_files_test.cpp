#include "composer/text_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <utime.h>

#include "composer/file_error.h"
#include "composer_test_util.h"

namespace {

using composer_test::ReadAll;
using composer_test::WriteAll;

class TextFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
};

// Sizes at each threshold, with names resolved against the current directory.
TEST_F(TextFiles, SizeThresholds) {
    composer_test::ScopedCurrentDir here(dir.path());
    struct Row {
        int size; // -1: no file
        bool memo;
        bool loadable;
        bool ask;
    };
    const Row rows[] = {
        {-1, false, false, false}, {0, false, false, false}, {4, false, false, false},
        {5, true, false, false},   {6, true, false, false},  {7, true, true, false},
        {12, true, true, false},   {13, true, true, true},
    };
    for (const Row& row : rows) {
        QFile::remove("MEMO.txt");
        QFile::remove("MailDoc3.txt");
        if (row.size >= 0) {
            WriteAll("MEMO.txt", std::string(static_cast<size_t>(row.size), 'm'));
            WriteAll("MailDoc3.txt", std::string(static_cast<size_t>(row.size), 't'));
        }
        EXPECT_EQ(composer::MemoWorthLoading(), row.memo) << row.size;
        EXPECT_EQ(composer::TemplateLoadable(composer::TemplateFileName(3)), row.loadable)
            << row.size;
        EXPECT_EQ(composer::TemplateOverwriteNeedsAsking(composer::TemplateFileName(3)), row.ask)
            << row.size;
    }
}

TEST_F(TextFiles, LoadingMakesEveryLineBreakCrLf) {
    const std::pair<std::string, std::string> rows[] = {
        {"a\nb\rc\r\nd\r\n", "a\r\nb\r\nc\r\nd\r\n"}, // a final break is kept
        {"a\r\n\r\n", "a\r\n\r\n"},
        {"a\n\r", "a\r\n\r\n"},
        {"\r\n", "\r\n"},
        {"\x82\xa0\n\x8a\xbf", "\x82\xa0\r\n\x8a\xbf"},
        {"", ""},
    };
    for (const auto& [bytes, expected] : rows) {
        const QString path = dir.filePath("MEMO.txt");
        WriteAll(path, bytes);
        EXPECT_EQ(composer::LoadTextFile(path), expected);
    }
    EXPECT_THROW(composer::LoadTextFile(dir.filePath("missing.txt")), composer::EFileReadError);
}

TEST_F(TextFiles, SavingWritesTheTextAsItStands) {
    composer_test::ScopedCurrentDir here(dir.path());
    composer::SaveTextFile("MailDoc1.txt", "old text that is longer");
    for (const std::string text : {"\x82\xa0\r\nb", "ends with Enter\r\n"}) {
        composer::SaveTextFile("MailDoc1.txt", text);
        EXPECT_EQ(ReadAll(dir.filePath("MailDoc1.txt")), text);
        EXPECT_EQ(composer::LoadTextFile("MailDoc1.txt"), text);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"MailDoc1.txt"});
}

TEST_F(TextFiles, FailedSaveKeepsTheOldFile) {
    const QString path = dir.filePath("MEMO.txt");
    WriteAll(path, "previous memo");

    // The disk filling up half-way (a file size limit stands in for it).
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool raised = false;
    try {
        composer::SaveTextFile(path, std::string(5000, 'x'));
    } catch (const composer::EFileWriteError&) {
        raised = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadAll(path), "previous memo");

    // A read-only directory, the file itself writable.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadOther | QFileDevice::WriteOther);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther);
    const int result = composer_test::RunUnprivileged([&] {
        try {
            composer::SaveTextFile(path, "new");
        } catch (const composer::EFileWriteError&) {
            return 0;
        }
        return 1;
    });
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadAll(path), "previous memo");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"MEMO.txt"});
}

// A FIFO where the memo or a template should be is refused at once, for reading and for
// writing, with the window's reason; it stays a FIFO.
TEST_F(TextFiles, FifoIsRefusedWithoutWaiting) {
    const QString fifo = dir.filePath("MEMO.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(
        composer_test::RunWithin(5,
                                 [&] {
                                     try {
                                         composer::LoadTextFile(fifo);
                                         return 1;
                                     } catch (const composer::EFileReadError& e) {
                                         if (!std::strstr(e.what(), composer::kNotRegularFileWords))
                                             return 2;
                                     }
                                     try {
                                         composer::SaveTextFile(fifo, "text");
                                         return 3;
                                     } catch (const composer::EFileWriteError&) {
                                     }
                                     return 0;
                                 }),
        0);
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// What a killed save left beside the memo and the templates goes once it is old.
TEST_F(TextFiles, StaleTemporariesAreRemoved) {
    const QStringList stale = {".MEMO.txt.aB3dE6", ".MailDoc5.txt.Zz9Yy8"};
    const QStringList kept = {".MailDoc6.txt.aB3dE6", "MEMO.txt"};
    for (const QString& name : stale + kept) {
        WriteAll(dir.filePath(name), "left");
        const utimbuf old{::time(nullptr) - 3600, ::time(nullptr) - 3600};
        ::utime(QFile::encodeName(dir.filePath(name)).constData(), &old);
    }
    composer::RemoveStaleTextTemporaries(dir.path());
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{".MailDoc6.txt.aB3dE6", "MEMO.txt"}));
}

TEST(FileSizeOf, FirstMatchWildcardsAndFolders) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto make = [&](const QString& name, int size) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(std::string(static_cast<size_t>(size), 'x').c_str(), size);
    };
    make("empty.txt", 0);
    make("MailDoc2.txt", 9);
    make("MailDoc1.txt", 7);
    make("[1].txt", 3);
    make(".hidden", 5);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));

    EXPECT_EQ(composer::FileSizeOf(dir.filePath("missing.txt")), -1);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("empty.txt")), 0);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("MailDoc2.txt")), 9);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("MailDoc?.txt")), 7); // first by name
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("*2.txt")), 9);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("[1].txt")), 3); // "[" is no wildcard
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("[1]?txt")), 3);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath(".hid*")), 5);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("folder.txt")), 0);
    EXPECT_EQ(composer::FileSizeOf(dir.filePath("*.none")), -1);
    EXPECT_EQ(composer::FileSizeOf(""), -1);
    {
        composer_test::ScopedCurrentDir here(dir.path());
        EXPECT_EQ(composer::FileSizeOf("MailDoc2.txt"), 9);
    }
    EXPECT_EQ(composer::FileSizeOf("MailDoc2.txt"), -1);
}

} // namespace
