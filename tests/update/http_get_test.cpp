#include "update/http_get.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "platform/message_box.h"
#include "tests/update/local_server.h"

namespace update {
namespace {

using namespace std::string_literals;
using update_test::EnsureApp;
using update_test::LocalHttpServer;
using update_test::ProcessEventsFor;
using update_test::ProcessEventsUntil;
using update_test::RawServer;

struct Outcome {
    int done = 0;
    int errors = 0;
    std::string text;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    bool Ended() const { return done + errors > 0; }
};

class HttpGetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApp(); }

    void TearDown() override {
        // No test may leave a worker behind for the next one.
        EXPECT_TRUE(THTTPGetThread::WaitForAll(std::chrono::seconds(10)));
        ProcessEventsFor(10);
    }

    static void Watch(THTTPGet& get, Outcome& outcome, bool progress = false) {
        get.OnDoneString = [&outcome](QObject*, const std::string& text) {
            ++outcome.done;
            outcome.text = text;
        };
        get.OnError = [&outcome](QObject*) { ++outcome.errors; };
        if (progress)
            get.OnProgress = [&outcome](QObject*, std::int64_t total, std::int64_t received) {
                outcome.progress.emplace_back(total, received);
            };
    }

    static Outcome Download(THTTPGet& get, bool progress = false) {
        Outcome outcome;
        Watch(get, outcome, progress);
        get.StartDownload();
        EXPECT_TRUE(ProcessEventsUntil([&] { return outcome.Ended(); }));
        ProcessEventsFor(20); // anything delivered twice would arrive now
        return outcome;
    }

    static Outcome Download(const std::string& url, bool binary = false) {
        THTTPGet get;
        get.SetURL(url);
        get.SetBinaryData(binary);
        return Download(get);
    }
};

TEST_F(HttpGetTest, RequestIsHttp10WithAgentAcceptAndCacheHeaders) {
    struct Row {
        bool useCache;
        std::string agent;
        std::string accept;
    };
    for (const Row& row : {Row{false, "Brellmor HTTPGet", "*/*"}, Row{true, "", "text/plain"}}) {
        SCOPED_TRACE(row.agent);
        LocalHttpServer server;
        server.Serve("/software/update/Varoku.txt", "Varoku");
        THTTPGet get;
        get.SetURL(server.Url("/software/update/Varoku.txt?lang=ja"));
        get.SetUseCache(row.useCache);
        get.SetAgent(row.agent);
        get.SetAcceptTypes(row.accept);
        EXPECT_EQ(Download(get).done, 1);

        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        const auto& seen = requests[0];
        EXPECT_EQ(seen.method, "GET");
        EXPECT_EQ(seen.version, "HTTP/1.0");
        EXPECT_EQ(seen.path, "/software/update/Varoku.txt?lang=ja");
        EXPECT_EQ(seen.Header("Accept"), row.accept);
        EXPECT_EQ(seen.HasHeader("User-Agent"), !row.agent.empty());
        EXPECT_EQ(seen.Header("User-Agent"), row.agent);
        EXPECT_EQ(seen.HasHeader("Pragma"), !row.useCache);
        EXPECT_EQ(seen.HasHeader("Cache-Control"), !row.useCache);
        if (!row.useCache) {
            EXPECT_EQ(seen.Header("Pragma"), "no-cache");
            EXPECT_EQ(seen.Header("Cache-Control"), "no-cache");
        }
    }
}

TEST_F(HttpGetTest, PostQueryIsSentAsAForm) {
    LocalHttpServer server;
    server.Serve("/form", "accepted");
    THTTPGet get;
    get.SetURL(server.Url("/form"));
    get.SetPostQuery("name=Varoku&ver=2.0");
    get.SetReferer("http://example.jp/from");
    const Outcome outcome = Download(get);
    EXPECT_EQ(outcome.text, "accepted");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].body, "name=Varoku&ver=2.0");
    EXPECT_EQ(requests[0].Header("Referer"), "http://example.jp/from");
}

TEST_F(HttpGetTest, LongBodyArrivesInPiecesAndIsDeliveredOnceWhole) {
    std::string body;
    for (int i = 0; body.size() < 7000; ++i)
        body += "line " + std::to_string(i) + " <SoftVer>\r\n";
    for (const bool withLength : {true, false}) {
        SCOPED_TRACE(withLength ? "Content-Length" : "no Content-Length");
        LocalHttpServer server;
        if (withLength)
            server.Serve("/big", body);
        else
            server.ServeWithoutLength("/big", body);
        THTTPGet get;
        get.SetURL(server.Url("/big"));
        const Outcome outcome = Download(get, /*progress=*/true);
        EXPECT_EQ(outcome.done, 1);
        EXPECT_EQ(outcome.errors, 0);
        EXPECT_EQ(outcome.text, body);
        EXPECT_TRUE(get.Result());

        ASSERT_GE(outcome.progress.size(), body.size() / 1025);
        std::int64_t before = 0;
        for (const auto& [total, received] : outcome.progress) {
            EXPECT_EQ(total, withLength ? static_cast<std::int64_t>(body.size()) : 0);
            EXPECT_GT(received, before);
            EXPECT_LE(received - before, 1025);
            before = received;
        }
        EXPECT_EQ(before, static_cast<std::int64_t>(body.size()));
    }
}

TEST_F(HttpGetTest, ReplyRules) {
    struct Row {
        const char* name;
        std::string reply;
        bool binary;
        bool success;
        std::string text;
    };
    const Row rows[] = {
        {"length", "HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\nVaroku!", false, true, "Varoku!"},
        {"no length, text", "HTTP/1.0 200 OK\r\n\r\nVaroku!", false, true, "Varoku!"},
        {"no length, binary", "HTTP/1.0 200 OK\r\n\r\nVaroku!", true, false, ""},
        {"length, binary", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\n\x01\x00\x02"s, true, true,
         "\x01\x00\x02"s},
        {"empty", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", false, false, ""},
        {"empty without length", "HTTP/1.0 200 OK\r\n\r\n", false, false, ""},
        {"cut short", "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nVaroku <SoftVer>2.1", false,
         false, ""},
        {"error page", "HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nNot Found", false, true,
         "Not Found"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawServer server(row.reply);
        const Outcome outcome = Download(server.Url("/Varoku.txt"), row.binary);
        EXPECT_EQ(outcome.done, row.success ? 1 : 0);
        EXPECT_EQ(outcome.errors, row.success ? 0 : 1);
        EXPECT_EQ(outcome.text, row.text);
    }
}

TEST_F(HttpGetTest, BodyIsCappedAtOneMebibyte) {
    const std::string exact(static_cast<std::size_t>(kMaxBodyBytes), 'v');
    const std::string over = exact + "!";
    LocalHttpServer server;
    server.Serve("/exact", exact);
    server.Serve("/over", over);
    server.ServeWithoutLength("/over-unannounced", over);

    const Outcome fits = Download(server.Url("/exact"));
    THTTPGet smaller;
    smaller.SetMaxSize(0);                 // refused
    smaller.SetMaxSize(kMaxBodyBytes + 1); // refused
    EXPECT_EQ(smaller.MaxSize(), kMaxBodyBytes);
    smaller.SetMaxSize(kMaxBodyBytes - 1);
    smaller.SetURL(server.Url("/exact"));
    EXPECT_EQ(Download(smaller).errors, 1);
    EXPECT_EQ(fits.done, 1);
    EXPECT_EQ(fits.text.size(), exact.size());
    for (const char* path : {"/over", "/over-unannounced"}) {
        SCOPED_TRACE(path);
        const Outcome outcome = Download(server.Url(path));
        EXPECT_EQ(outcome.done, 0);
        EXPECT_EQ(outcome.errors, 1);
    }
}

TEST_F(HttpGetTest, HttpsTrustsOnlyACertificateItCanCheck) {
    const update_test::TestCertificate certificate;
    ASSERT_FALSE(certificate.CertificateFile().empty()) << "openssl made no certificate";
    LocalHttpServer secure(&certificate);
    LocalHttpServer plain;
    for (LocalHttpServer* server : {&secure, &plain})
        server->Serve("/Varoku.txt", "Varoku <SoftVer>2.1</SoftVer>");
    std::string plainAsSecure = plain.Url("/Varoku.txt");
    plainAsSecure.insert(4, "s");
    std::string secureAsPlain = secure.Url("/Varoku.txt");
    secureAsPlain.erase(4, 1);
    struct Row {
        const char* name;
        std::string url;
        std::string authorities;
        THTTPFailure failure;
    };
    const Row rows[] = {
        {"system's authorities", secure.Url("/Varoku.txt"), "", hfSecurity},
        {"our authority", secure.Url("/Varoku.txt"), certificate.CertificateFile(), hfNone},
        {"https to a plain server", plainAsSecure, certificate.CertificateFile(), hfSecurity},
        {"http to a TLS server", secureAsPlain, certificate.CertificateFile(), hfTransfer},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        THTTPGet get;
        get.SetURL(row.url);
        get.SetCAFile(row.authorities);
        const Outcome outcome = Download(get);
        EXPECT_EQ(outcome.done, row.failure == hfNone ? 1 : 0);
        EXPECT_EQ(get.Failure(), row.failure);
        EXPECT_EQ(outcome.text, row.failure == hfNone ? "Varoku <SoftVer>2.1</SoftVer>" : "");
    }
    // Only the trusted connection got as far as a request.
    EXPECT_EQ(secure.Requests().size(), 1u);
    EXPECT_EQ(plain.Requests().size(), 0u);
}

TEST_F(HttpGetTest, NoServerIsAFailure) {
    THTTPGet get;
    get.SetURL("http://127.0.0.1:" + std::to_string(update_test::ClosedPort()) + "/Varoku.txt");
    const Outcome outcome = Download(get);
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_EQ(outcome.done, 0);
    EXPECT_FALSE(get.Result());
}

TEST_F(HttpGetTest, SilentServerTimesOut) {
    RawServer silent({}, /*answer=*/false);
    THTTPGet get;
    get.SetURL(silent.Url("/Varoku.txt"));
    get.SetConnectTimeout(300);
    get.SetTimeout(300);
    const Outcome outcome = Download(get);
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_EQ(outcome.done, 0);
}

TEST_F(HttpGetTest, AddressForms) {
    LocalHttpServer server;
    server.Serve("/software/update/Varoku.txt", "Varoku");
    server.Serve("/", "root");
    const std::string hostPort = "127.0.0.1:" + std::to_string(server.Port());
    struct Row {
        std::string url;
        std::string text;
    };
    for (const Row& row :
         {Row{"HTTP://" + hostPort + "/software/update/Varoku.txt", "Varoku"},
          Row{hostPort + "/software/update/Varoku.txt", "Varoku"}, Row{hostPort, "root"}}) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(Download(row.url).text, row.text);
    }
}

TEST_F(HttpGetTest, OneWorkerAtATimeWithItsOwnCopyOfTheSettings) {
    LocalHttpServer server;
    server.ServeHeld("/first", "first");
    server.Serve("/second", "second");
    THTTPGet get;
    Outcome outcome;
    Watch(get, outcome);
    get.SetURL(server.Url("/first"));
    get.StartDownload();
    ASSERT_TRUE(server.WaitForRequests(1));
    EXPECT_TRUE(get.Busy());
    get.SetURL(server.Url("/second"));
    get.StartDownload();
    server.Release();
    ASSERT_TRUE(ProcessEventsUntil([&] { return outcome.Ended(); }));
    ProcessEventsFor(50);
    EXPECT_EQ(outcome.done, 1);
    EXPECT_EQ(outcome.text, "first");
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_FALSE(get.Busy());

    // Idle again, the next start takes the changed address.
    outcome = Outcome{};
    get.StartDownload();
    ASSERT_TRUE(ProcessEventsUntil([&] { return outcome.Ended(); }));
    EXPECT_EQ(outcome.text, "second");
}

TEST_F(HttpGetTest, AbortEndsInAnError) {
    LocalHttpServer server;
    server.ServeHeld("/held", "Varoku");
    THTTPGet get;
    Outcome outcome;
    Watch(get, outcome);
    get.SetURL(server.Url("/held"));
    get.StartDownload();
    ASSERT_TRUE(server.WaitForRequests(1));
    get.AbortDownload();
    ASSERT_TRUE(ProcessEventsUntil([&] { return outcome.Ended(); }));
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_EQ(outcome.done, 0);
    EXPECT_FALSE(get.Result());
}

TEST_F(HttpGetTest, DestroyedDuringDownloadHearsNothing) {
    LocalHttpServer server;
    server.ServeHeld("/held", std::string(4000, 'x'));
    Outcome outcome;
    auto get = std::make_unique<THTTPGet>();
    Watch(*get, outcome, /*progress=*/true);
    get->SetURL(server.Url("/held"));
    get->StartDownload();
    ASSERT_TRUE(server.WaitForRequests(1));
    get.reset();
    server.Release();
    ASSERT_TRUE(THTTPGetThread::WaitForAll(std::chrono::seconds(10)));
    ProcessEventsFor(50);
    EXPECT_EQ(outcome.done, 0);
    EXPECT_EQ(outcome.errors, 0);
    EXPECT_TRUE(outcome.progress.empty());
}

TEST_F(HttpGetTest, DestroyedAfterTheEndWasQueuedHearsNothing) {
    LocalHttpServer server;
    server.Serve("/quick", "Varoku");
    Outcome outcome;
    auto get = std::make_unique<THTTPGet>();
    Watch(*get, outcome, /*progress=*/true);
    get->SetURL(server.Url("/quick"));
    get->StartDownload();
    // The worker ends and queues its end while this thread runs no events.
    ASSERT_TRUE(THTTPGetThread::WaitForAll(std::chrono::seconds(10)));
    get.reset();
    ProcessEventsFor(50);
    EXPECT_EQ(outcome.done, 0);
    EXPECT_EQ(outcome.errors, 0);
    EXPECT_TRUE(outcome.progress.empty());
}

TEST_F(HttpGetTest, WaitThreadRunsWaitingEventsBeforeReturning) {
    LocalHttpServer server;
    server.Serve("/quick", "Varoku");
    for (const bool wait : {false, true}) {
        THTTPGet get;
        Outcome outcome;
        Watch(get, outcome);
        get.SetURL(server.Url("/quick"));
        get.SetWaitThread(wait);
        bool ran = false;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&ran] { ran = true; }, Qt::QueuedConnection);
        get.StartDownload();
        EXPECT_EQ(ran, wait);
        ASSERT_TRUE(ProcessEventsUntil([&] { return outcome.Ended(); }));
    }
}

TEST_F(HttpGetTest, HandlerErrorsReachTheStandardErrorBox) {
    LocalHttpServer server;
    server.Serve("/quick", "Varoku");
    std::vector<platform::TMessageRequest> shown;
    platform::ScopedMessageHandler answer([&](const platform::TMessageRequest& request) {
        shown.push_back(request);
        return platform::MsgResult::Ok;
    });
    THTTPGet get;
    get.SetURL(server.Url("/quick"));
    bool called = false;
    get.OnDoneString = [&](QObject*, const std::string&) {
        called = true;
        throw std::runtime_error("壊れた");
    };
    get.StartDownload();
    ASSERT_TRUE(ProcessEventsUntil([&] { return called; }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].StandardError);
    EXPECT_EQ(shown[0].Text, QStringLiteral("壊れた"));
    EXPECT_FALSE(get.Busy());
}

} // namespace
} // namespace update
