#include "tests/update/local_server.h"

#include <QApplication>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace update_test {
namespace {

int BoundSocket(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

std::string Loopback(int port, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

} // namespace

void EnsureApp() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        ::unsetenv(name);
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    static int argc = 1;
    static char name[] = "test_update";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

bool ProcessEventsUntil(const std::function<bool()>& done, int limitMs) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done() && std::chrono::steady_clock::now() < limit) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

void ProcessEventsFor(int ms) {
    ProcessEventsUntil([] { return false; }, ms);
}

std::string SeenRequest::Header(const std::string& name) const {
    const auto found = headers.find(name);
    return found == headers.end() ? std::string() : found->second;
}

TestCertificate::TestCertificate() {
    std::string folder = std::filesystem::temp_directory_path() / "varoku-tls-XXXXXX";
    if (!::mkdtemp(folder.data())) return;
    folder_ = folder;
    const std::string certificate = folder_ + "/certificate.pem";
    const std::string key = folder_ + "/key.pem";
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
        " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout " +
        key + " -out " + certificate + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return;
    certificate_ = certificate;
    key_ = key;
}

TestCertificate::~TestCertificate() {
    if (folder_.empty()) return;
    for (const std::string& file : {folder_ + "/certificate.pem", folder_ + "/key.pem"})
        ::unlink(file.c_str());
    ::rmdir(folder_.c_str());
}

LocalHttpServer::LocalHttpServer(const TestCertificate* tls) {
    if (tls) {
        server_ = std::make_unique<httplib::SSLServer>(tls->CertificateFile().c_str(),
                                                       tls->KeyFile().c_str());
        secure_ = true;
    } else {
        server_ = std::make_unique<httplib::Server>();
    }
    httplib::Server& server = *server_;
    server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        std::lock_guard lock(mutex_);
        std::string path = request.path;
        if (!request.params.empty()) {
            const std::size_t query = request.target.find('?');
            if (query != std::string::npos) path += request.target.substr(query);
        }
        requests_.push_back({request.method, request.version, path, request.body, request.headers});
        changed_.notify_all();
        return httplib::Server::HandlerResponse::Unhandled;
    });
    port_ = server.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
}

LocalHttpServer::~LocalHttpServer() {
    Release();
    server_->stop();
    thread_.join();
}

std::string LocalHttpServer::Url(const std::string& path) const {
    const std::string url = Loopback(port_, path);
    return secure_ ? "https" + url.substr(4) : url;
}

void LocalHttpServer::Serve(const std::string& path, const std::string& body,
                            const std::string& type) {
    server_->Get(path, [body, type](const httplib::Request&, httplib::Response& response) {
        response.set_content(body, type.c_str());
    });
    // A request's body is read only after routing, so it is recorded here.
    server_->Post(path,
                  [this, body, type](const httplib::Request& request, httplib::Response& response) {
                      {
                          std::lock_guard lock(mutex_);
                          if (!requests_.empty()) requests_.back().body = request.body;
                      }
                      response.set_content(body, type.c_str());
                  });
}

void LocalHttpServer::ServeWithoutLength(const std::string& path, const std::string& body) {
    server_->Get(path, [body](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            "text/plain", [body](std::size_t offset, httplib::DataSink& sink) {
                if (offset < body.size()) {
                    const std::size_t piece = std::min<std::size_t>(700, body.size() - offset);
                    sink.write(body.data() + offset, piece);
                } else {
                    sink.done();
                }
                return true;
            });
    });
}

void LocalHttpServer::ServeHeld(const std::string& path, const std::string& body) {
    server_->Get(path, [this, body](const httplib::Request&, httplib::Response& response) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(30), [this] { return released_; });
        response.set_content(body, "text/plain");
    });
}

void LocalHttpServer::Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
}

std::vector<SeenRequest> LocalHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LocalHttpServer::WaitForRequests(std::size_t count, int limitMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(limitMs),
                             [&] { return requests_.size() >= count; });
}

RawServer::RawServer(std::string reply, bool answer) : reply_(std::move(reply)) {
    socket_ = BoundSocket(port_);
    ::listen(socket_, 8);
    if (answer) thread_ = std::thread([this] { Run(); });
}

RawServer::~RawServer() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(socket_);
}

std::string RawServer::Url(const std::string& path) const {
    return Loopback(port_, path);
}

void RawServer::Run() {
    while (!stopping_) {
        pollfd waiting{socket_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) continue;
        const int client = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        std::string head;
        char buffer[1024];
        while (head.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            head.append(buffer, static_cast<std::size_t>(got));
        }
        for (std::size_t sent = 0; sent < reply_.size();) {
            const ssize_t put =
                ::send(client, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
            if (put <= 0) break;
            sent += static_cast<std::size_t>(put);
        }
        ::close(client);
    }
}

int ClosedPort() {
    int port = 0;
    const int fd = BoundSocket(port);
    ::close(fd);
    return port;
}

} // namespace update_test
