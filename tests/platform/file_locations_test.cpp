// Where settings and data go: portable beside the program, or the user's XDG folders.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>

#include "platform/file_locations.h"

namespace {

struct LocationRow {
    const char* name;
    bool iniBeside;
    bool programDirWritable;
    const char* ConfigHome; // relative to the temporary folder when it starts with '/'
    const char* DataHome;
    const char* settings; // expected, relative to the temporary folder; "" = beside
    const char* data;
};

TEST(FileLocations, PortableOnlyWithAWritableSettingsFileBesideTheProgram) {
    const LocationRow rows[] = {
        {"portable", true, true, "", "", "", ""},
        {"read-only program folder", true, false, "", "", "home/.config/varoku/varoku.ini",
         "home/.local/share/varoku"},
        {"no settings file beside", false, true, "", "", "home/.config/varoku/varoku.ini",
         "home/.local/share/varoku"},
        {"XDG folders set", false, true, "/cfg", "/dat", "cfg/varoku/varoku.ini", "dat/varoku"},
        {"relative XDG folders ignored", false, true, "cfg", "dat",
         "home/.config/varoku/varoku.ini", "home/.local/share/varoku"},
    };
    for (const LocationRow& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        QDir(root.path()).mkpath(QStringLiteral("bin"));
        const QString program = root.filePath(QStringLiteral("bin/varoku"));
        if (row.iniBeside) {
            QFile ini(root.filePath(QStringLiteral("bin/varoku.ini")));
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        }
        const auto rooted = [&](const char* p) {
            const QString s = QString::fromUtf8(p);
            return s.startsWith(u'/') ? root.path() + s : s;
        };
        platform::TLocationEnvironment env{program, root.filePath(QStringLiteral("home")),
                                           rooted(row.ConfigHome), rooted(row.DataHome),
                                           [&](const QString& folder) {
                                               EXPECT_EQ(folder, QFileInfo(program).absolutePath());
                                               return row.programDirWritable;
                                           }};
        const platform::TFileLocations where = platform::FileLocations(env);
        const bool portable = *row.settings == '\0';
        EXPECT_EQ(where.Portable, portable);
        if (portable) {
            EXPECT_EQ(where.SettingsPath, root.filePath(QStringLiteral("bin/varoku.ini")));
            EXPECT_TRUE(where.DataDir.isEmpty());
        } else {
            EXPECT_EQ(where.SettingsPath, root.filePath(QString::fromUtf8(row.settings)));
            EXPECT_EQ(where.DataDir, root.filePath(QString::fromUtf8(row.data)));
        }
    }
}

TEST(FileLocations, FoldersAreMadePrivateAndAFileInTheWayIsReported) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString deep = root.filePath(QStringLiteral("a/b/varoku"));
    platform::EnsurePrivateFolder(deep);
    for (const QString& folder : {root.filePath(QStringLiteral("a")), deep}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder.toStdString();
    }
    platform::EnsurePrivateFolder(deep); // already there: nothing to do

    QFile blocker(root.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_THROW(platform::EnsurePrivateFolder(root.filePath(QStringLiteral("file/varoku"))),
                 std::runtime_error);
    EXPECT_EQ(platform::FileIn(QString(), QStringLiteral("MEMO.txt")), QStringLiteral("MEMO.txt"));
    EXPECT_EQ(platform::FileIn(deep, QStringLiteral("MEMO.txt")),
              deep + QStringLiteral("/MEMO.txt"));
}

// The settings file is named after the program; a leading dot is part of the name.
TEST(FileLocations, SettingsFileNameFollowsTheProgramName) {
    const std::pair<const char*, const char*> rows[] = {
        {"/opt/bin/varoku", "varoku.ini"},
        {"/opt/bin/varoku.exe", "varoku.ini"},
        {"/opt/bin/.varoku", ".varoku.ini"},
        {"/opt/bin/v.1.2", "v.1.ini"},
    };
    for (const auto& [program, ini] : rows)
        EXPECT_EQ(platform::SettingsFileNameFor(QString::fromUtf8(program)), QString::fromUtf8(ini))
            << program;
}

} // namespace
