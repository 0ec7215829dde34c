// Servers on 127.0.0.1 for the download tests: a real HTTP server (cpp-httplib) that
// records what it was asked, and a bare socket that answers with fixed bytes or not
// at all, for replies no well-behaved server sends.
#pragma once

#include <httplib.h>

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace update_test {

// Creates the Qt application the tests need once, and keeps proxies of the
// environment away from loopback downloads.
void EnsureApp();

// Runs the event loop until `done` holds or `limit` passes; returns `done()`.
bool ProcessEventsUntil(const std::function<bool()>& done, int limitMs = 10000);
// Runs the event loop for a moment so that queued calls are delivered.
void ProcessEventsFor(int ms);

struct SeenRequest {
    std::string method;
    std::string version;
    std::string path; // query included
    std::string body;
    httplib::Headers headers;

    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const { return headers.count(name) != 0; }
};

// A self-signed certificate for 127.0.0.1 and its key, made by openssl in a temporary
// folder that goes with the object. Empty paths when openssl could not make them.
class TestCertificate {
public:
    TestCertificate();
    ~TestCertificate();
    const std::string& CertificateFile() const { return certificate_; }
    const std::string& KeyFile() const { return key_; }

private:
    std::string folder_;
    std::string certificate_;
    std::string key_;
};

class LocalHttpServer {
public:
    // Plain HTTP, or HTTPS with the given certificate.
    explicit LocalHttpServer(const TestCertificate* tls = nullptr);
    ~LocalHttpServer();

    int Port() const { return port_; }
    // "http://127.0.0.1:<port>" (https for a TLS server) followed by `path`.
    std::string Url(const std::string& path) const;

    // Answers GET and POST on `path` with `body`, with its Content-Length.
    void Serve(const std::string& path, const std::string& body,
               const std::string& type = "text/plain");
    // Answers GET on `path` with `body` and no Content-Length: the end of the body is
    // the end of the connection.
    void ServeWithoutLength(const std::string& path, const std::string& body);
    // Answers GET on `path` only once Release() is called (or the server stops).
    void ServeHeld(const std::string& path, const std::string& body);
    void Release();

    std::vector<SeenRequest> Requests() const;
    // Waits until `count` requests have arrived.
    bool WaitForRequests(std::size_t count, int limitMs = 10000) const;

    httplib::Server& Server() { return *server_; }

private:
    std::unique_ptr<httplib::Server> server_;
    bool secure_ = false;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<SeenRequest> requests_;
    bool released_ = false;
};

// A listening socket on 127.0.0.1. With a reply it answers every connection with
// those bytes after reading the request head, then closes; without one it accepts
// nothing, so a client connects and then waits forever for an answer.
class RawServer {
public:
    explicit RawServer(std::string reply = {}, bool answer = true);
    ~RawServer();
    int Port() const { return port_; }
    std::string Url(const std::string& path) const;

private:
    void Run();

    int socket_ = -1;
    int port_ = 0;
    std::string reply_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
int ClosedPort();

} // namespace update_test

// Lets failed expectations show texts rather than code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << text.toStdString();
}
