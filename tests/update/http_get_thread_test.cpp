#include "update/http_get_thread.h"

#include <QObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

#include "tests/update/local_server.h"

namespace update {
namespace {

TEST(SplitURLTest, HostPortAndPath) {
    struct Row {
        std::string url;
        std::string host;
        int port;
        std::string path;
        bool secure = false;
    };
    const Row rows[] = {
        {"https://www.varoku.example.jp/software/update/Varoku.txt", "www.varoku.example.jp", 443,
         "/software/update/Varoku.txt", true},
        {"HTTPS://127.0.0.1:8443", "127.0.0.1", 8443, "/", true},
        {"https://example.jp:0/x", "example.jp:0", 443, "/x", true},
        {"http://www.varoku.example.jp/software/update/Varoku.txt", "www.varoku.example.jp", 80,
         "/software/update/Varoku.txt"},
        {"HTTP://Example.JP/a?b=c", "Example.JP", 80, "/a?b=c"},
        {"example.jp/x", "example.jp", 80, "/x"},
        {"http://example.jp", "example.jp", 80, "/"},
        {"http://example.jp/", "example.jp", 80, "/"},
        {"http://example.jp:8080/x", "example.jp", 8080, "/x"},
        {"127.0.0.1:65535", "127.0.0.1", 65535, "/"},
        {"http://[::1]:81/x", "[::1]", 81, "/x"},
        {"http://[::1]/x", "[::1]", 80, "/x"},
        // Not a port: the host stays whole (and will not resolve).
        {"http://example.jp:0/x", "example.jp:0", 80, "/x"},
        {"http://example.jp:65536/x", "example.jp:65536", 80, "/x"},
        {"http://example.jp:http/x", "example.jp:http", 80, "/x"},
        {"http://example.jp:/x", "example.jp:", 80, "/x"},
        // The first seven characters go whenever "http://" appears anywhere.
        {"see http://example.jp/", "p:", 80, "//example.jp/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        const THTTPAddress address = SplitURL(row.url);
        EXPECT_EQ(address.Host, row.host);
        EXPECT_EQ(address.Port, row.port);
        EXPECT_EQ(address.Path, row.path);
        EXPECT_EQ(address.Secure, row.secure);
    }
}

TEST(HTTPGetThreadTest, FileTargetWritesTheBodyOrLeavesTheOldFileWhole) {
    update_test::EnsureApp();
    update_test::LocalHttpServer server;
    const std::string body = "Varoku <SoftVer>2.1</SoftVer>";
    server.Serve("/Varoku.txt", body);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto read = [](const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    };
    struct Row {
        std::string fileName;
        const char* before; // the file's contents before the download, nullptr: none
        rlim_t sizeLimit;   // largest file the process may write (a full disk), 0: none
        bool success;
        const char* after; // nullptr: the body
    };
    const Row rows[] = {
        {dir.filePath("Varoku.txt").toStdString(), nullptr, 0, true, nullptr},
        {dir.filePath("Varoku.txt").toStdString(), "old text", 0, true, nullptr},
        {dir.filePath("missing/Varoku.txt").toStdString(), nullptr, 0, false, ""},
        {dir.filePath("Varoku.txt").toStdString(), "old text", 16, false, "old text"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fileName + " " + std::to_string(row.sizeLimit));
        if (row.before) {
            std::ofstream(row.fileName, std::ios::binary) << row.before;
        }
        THTTPGetSettings settings;
        settings.URL = server.Url("/Varoku.txt");
        settings.FileName = row.fileName;
        QObject context;
        int ends = 0;
        bool result = !row.success;
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        if (row.sizeLimit) {
            rlimit limited = saved;
            limited.rlim_cur = row.sizeLimit;
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        }
        const auto worker = THTTPGetThread::Create(settings, htFile);
        worker->Start(&context, [&](THTTPGetThread& ended) {
            ++ends;
            result = ended.Result();
        });
        const bool ended = update_test::ProcessEventsUntil([&] { return ends > 0; });
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousSignal);
        ASSERT_TRUE(ended);
        EXPECT_EQ(result, row.success);
        EXPECT_EQ(read(row.fileName), row.after ? std::string(row.after) : body);
        worker->Release();
    }
    EXPECT_TRUE(THTTPGetThread::WaitForAll(std::chrono::seconds(10)));
}

} // namespace
} // namespace update
