#include "app/text_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "app/file_error.h"
#include "app_test_util.h"

namespace {

using app_test::ReadAll;
using app_test::WriteAll;

class TextFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
};

// Sizes at each threshold, with names resolved against the current directory.
TEST_F(TextFiles, SizeThresholds)
{
    app_test::ScopedCurrentDir here(dir.path());
    struct Row {
        int size;  // -1: no file
        bool memo;
        bool loadable;
        bool ask;
    };
    const Row rows[] = {
        {-1, false, false, false}, {0, false, false, false},  {4, false, false, false},
        {5, true, false, false},   {6, true, false, false},   {7, true, true, false},
        {12, true, true, false},   {13, true, true, true},
    };
    for (const Row& row : rows) {
        QFile::remove("MEMO.txt");
        QFile::remove("MailDoc3.txt");
        if (row.size >= 0) {
            WriteAll("MEMO.txt", std::string(static_cast<size_t>(row.size), 'm'));
            WriteAll("MailDoc3.txt", std::string(static_cast<size_t>(row.size), 't'));
        }
        EXPECT_EQ(app::MemoWorthLoading(), row.memo) << row.size;
        EXPECT_EQ(app::TemplateLoadable(app::TemplateFileName(3)), row.loadable) << row.size;
        EXPECT_EQ(app::TemplateOverwriteNeedsAsking(app::TemplateFileName(3)), row.ask) << row.size;
    }
}

TEST_F(TextFiles, LoadingMakesEveryLineBreakCrLf)
{
    const std::pair<std::string, std::string> rows[] = {
        {"a\nb\rc\r\nd\r\n", "a\r\nb\r\nc\r\nd"},
        {"a\r\n\r\n", "a\r\n"},
        {"\x82\xa0\n\x8a\xbf", "\x82\xa0\r\n\x8a\xbf"},
        {"", ""},
    };
    for (const auto& [bytes, expected] : rows) {
        const QString path = dir.filePath("MEMO.txt");
        WriteAll(path, bytes);
        EXPECT_EQ(app::LoadTextFile(path), expected);
    }
    EXPECT_THROW(app::LoadTextFile(dir.filePath("missing.txt")), app::EFileReadError);
}

TEST_F(TextFiles, SavingWritesTheTextAsItStands)
{
    app_test::ScopedCurrentDir here(dir.path());
    app::SaveTextFile("MailDoc1.txt", "old text that is longer");
    app::SaveTextFile("MailDoc1.txt", "\x82\xa0\r\nb");
    EXPECT_EQ(ReadAll(dir.filePath("MailDoc1.txt")), "\x82\xa0\r\nb");
    EXPECT_EQ(app::LoadTextFile("MailDoc1.txt"), "\x82\xa0\r\nb");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"MailDoc1.txt"});
}

TEST_F(TextFiles, FailedSaveKeepsTheOldFile)
{
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
        app::SaveTextFile(path, std::string(5000, 'x'));
    } catch (const app::EFileWriteError&) {
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
    const int result = app_test::RunUnprivileged([&] {
        try {
            app::SaveTextFile(path, "new");
        } catch (const app::EFileWriteError&) {
            return 0;
        }
        return 1;
    });
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadAll(path), "previous memo");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"MEMO.txt"});
}

}  // namespace
