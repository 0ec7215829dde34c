#include "update/http_get_thread.h"

#include <QObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/update/local_server.h"

namespace update {
namespace {

TEST(SplitURLTest, HostPortAndPath) {
    struct Row {
        std::string url;
        std::string host;
        int port;
        std::string path;
    };
    const Row rows[] = {
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
    }
}

TEST(HTTPGetThreadTest, FileTargetWritesTheBody) {
    update_test::EnsureApp();
    update_test::LocalHttpServer server;
    server.Serve("/Varoku.txt", "Varoku <SoftVer>2.1</SoftVer>");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Row {
        std::string fileName;
        bool success;
    };
    for (const Row& row : {Row{dir.filePath("Varoku.txt").toStdString(), true},
                           Row{dir.filePath("missing/Varoku.txt").toStdString(), false}}) {
        SCOPED_TRACE(row.fileName);
        THTTPGetSettings settings;
        settings.URL = server.Url("/Varoku.txt");
        settings.FileName = row.fileName;
        QObject context;
        int ends = 0;
        bool result = !row.success;
        const auto worker = THTTPGetThread::Create(settings, htFile);
        worker->Start(&context, [&](THTTPGetThread& ended) {
            ++ends;
            result = ended.Result();
        });
        ASSERT_TRUE(update_test::ProcessEventsUntil([&] { return ends > 0; }));
        EXPECT_EQ(result, row.success);
        if (row.success) {
            std::ifstream in(row.fileName, std::ios::binary);
            std::stringstream content;
            content << in.rdbuf();
            EXPECT_EQ(content.str(), "Varoku <SoftVer>2.1</SoftVer>");
        }
        worker->Release();
    }
    EXPECT_TRUE(THTTPGetThread::WaitForAll(std::chrono::seconds(10)));
}

} // namespace
} // namespace update
