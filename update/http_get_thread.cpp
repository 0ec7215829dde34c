#include "update/http_get_thread.h"

#include <curl/curl.h>

#include <algorithm>
#include <condition_variable>
#include <system_error>
#include <thread>

#include "composer/atomic_file.h"

namespace update {
namespace {

struct WorkerRegistry {
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
};

// Never destroyed: a worker may still be finishing while the program's statics go.
WorkerRegistry& Workers() {
    static auto* registry = new WorkerRegistry;
    return *registry;
}

void WorkerStarted() {
    std::lock_guard lock(Workers().mutex);
    ++Workers().running;
}

void WorkerEnded() {
    std::lock_guard lock(Workers().mutex);
    --Workers().running;
    Workers().ended.notify_all();
}

bool ParsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return false;
    port = value;
    return true;
}

template <typename T, auto Free> struct CurlFree {
    void operator()(T* handle) const { Free(handle); }
};
using EasyHandle = std::unique_ptr<CURL, CurlFree<CURL, curl_easy_cleanup>>;
using MultiHandle = std::unique_ptr<CURLM, CurlFree<CURLM, curl_multi_cleanup>>;
using UrlHandle = std::unique_ptr<CURLU, CurlFree<CURLU, curl_url_cleanup>>;
using HeaderList = std::unique_ptr<curl_slist, CurlFree<curl_slist, curl_slist_free_all>>;

bool Append(HeaderList& list, const std::string& header) {
    curl_slist* grown = curl_slist_append(list.get(), header.c_str());
    if (!grown) return false;
    list.release();
    list.reset(grown);
    return true;
}

} // namespace

THTTPAddress SplitURL(const std::string& url) {
    std::string lower = url;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    THTTPAddress address;
    std::string rest;
    if (lower.starts_with("https://")) {
        address.Secure = true;
        address.Port = 443;
        rest = url.substr(8);
    } else {
        rest = lower.find("http://") != std::string::npos ? url.substr(7) : url;
    }

    const std::size_t slash = rest.find('/');
    address.Host = rest.substr(0, slash);
    address.Path = slash == std::string::npos ? "/" : rest.substr(slash);

    // "host:8080" names its port; an IPv6 literal keeps the colons inside its brackets.
    const std::size_t colon = address.Host.rfind(':');
    const std::size_t bracket = address.Host.rfind(']');
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        int port = address.Port;
        if (ParsePort(address.Host.substr(colon + 1), port)) {
            address.Port = port;
            address.Host.erase(colon);
        }
    }
    return address;
}

std::shared_ptr<THTTPGetThread> THTTPGetThread::Create(THTTPGetSettings settings,
                                                       THTTPTarget target) {
    return std::shared_ptr<THTTPGetThread>(new THTTPGetThread(std::move(settings), target));
}

THTTPGetThread::THTTPGetThread(THTTPGetSettings settings, THTTPTarget target)
    : settings_(std::move(settings)), target_(target) {}

THTTPGetThread::~THTTPGetThread() = default;

void THTTPGetThread::Start(QObject* context, TEndHandler onEnd, TPieceHandler onPiece) {
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    onEnd_ = std::move(onEnd);
    onPiece_ = std::move(onPiece);
    {
        std::lock_guard lock(mutex_);
        context_ = context;
    }
    WorkerStarted();
    try {
        std::thread([self = shared_from_this()]() mutable {
            self->Execute();
            self.reset();
            WorkerEnded();
        }).detach();
    } catch (const std::system_error&) {
        WorkerEnded();
        {
            std::lock_guard lock(mutex_);
            result_ = false;
        }
        DeliverEnd();
    }
}

void THTTPGetThread::Terminate() {
    terminated_ = true;
    std::lock_guard lock(mutex_);
    result_ = false;
    failure_ = hfAborted;
    if (multi_) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

void THTTPGetThread::Release() {
    released_ = true;
    std::lock_guard lock(mutex_);
    context_ = nullptr;
}

bool THTTPGetThread::Result() const {
    std::lock_guard lock(mutex_);
    return result_;
}

THTTPFailure THTTPGetThread::Failure() const {
    std::lock_guard lock(mutex_);
    return result_ ? hfNone : failure_;
}

int THTTPGetThread::Running() {
    std::lock_guard lock(Workers().mutex);
    return Workers().running;
}

bool THTTPGetThread::WaitForAll(std::chrono::milliseconds timeout) {
    std::unique_lock lock(Workers().mutex);
    return Workers().ended.wait_for(lock, timeout, [] { return Workers().running == 0; });
}

void THTTPGetThread::Execute() {
    bool ok = false;
    try {
        ok = Transfer();
        if (ok && target_ == htFile) ok = WriteFile();
    } catch (...) {
        // Out of memory or the like: the download failed, and nothing may escape a thread.
        ok = false;
    }
    {
        std::lock_guard lock(mutex_);
        result_ = ok && !terminated_;
        failure_ = terminated_ ? hfAborted : transferFailure_;
    }
    DeliverEnd();
}

bool THTTPGetThread::Transfer() {
    if (terminated_) return false;

    const THTTPAddress address = SplitURL(settings_.URL);
    const std::size_t queryStart = address.Path.find('?');
    const std::string path = address.Path.substr(0, queryStart);
    const std::string port = std::to_string(address.Port);
    // The address is assembled from parts, so that whatever the host text holds ("@",
    // "?", a scheme) it is only ever a host name and the request is only ever HTTP(S).
    const char* scheme = address.Secure ? "https" : "http";
    UrlHandle url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_SCHEME, scheme, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_HOST, address.Host.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PORT, port.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PATH, path.c_str(), 0) != CURLUE_OK)
        return false;
    if (queryStart != std::string::npos &&
        curl_url_set(url.get(), CURLUPART_QUERY, address.Path.c_str() + queryStart + 1, 0) !=
            CURLUE_OK)
        return false;

    HeaderList headers;
    // An empty header value tells libcurl to send no Accept line at all.
    if (!Append(headers, "Accept: " + settings_.AcceptTypes)) return false;
    if (!settings_.UseCache &&
        (!Append(headers, "Pragma: no-cache") || !Append(headers, "Cache-Control: no-cache")))
        return false;
    const bool post = !settings_.PostQuery.empty();
    if (post && !Append(headers, "Content-Type: application/x-www-form-urlencoded")) return false;

    EasyHandle easy(curl_easy_init());
    if (!easy) return false;
    CURL* e = easy.get();
    easy_ = e;
    curl_easy_setopt(e, CURLOPT_CURLU, url.get());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, scheme);
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, 5L);
    // A secure address is never redirected down to plain HTTP.
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, address.Secure ? "https" : "http,https");
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings_.CAFile.empty()) curl_easy_setopt(e, CURLOPT_CAINFO, settings_.CAFile.c_str());
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    if (!settings_.Agent.empty()) curl_easy_setopt(e, CURLOPT_USERAGENT, settings_.Agent.c_str());
    if (!settings_.Referer.empty()) curl_easy_setopt(e, CURLOPT_REFERER, settings_.Referer.c_str());
    if (!settings_.UserName.empty())
        curl_easy_setopt(e, CURLOPT_USERNAME, settings_.UserName.c_str());
    if (!settings_.Password.empty())
        curl_easy_setopt(e, CURLOPT_PASSWORD, settings_.Password.c_str());
    if (post) {
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(settings_.PostQuery.size()));
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, settings_.PostQuery.data());
    }
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings_.ConnectTimeoutMs));
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(settings_.TimeoutMs));
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, static_cast<long>(kPieceBytes));
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &THTTPGetThread::OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, this);

    MultiHandle multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), e) != CURLM_OK) return false;
    {
        std::lock_guard lock(mutex_);
        multi_ = multi.get();
    }
    // Terminate may have come before the handle was published, with nobody to wake.
    bool finished = false;
    CURLcode code = CURLE_OK;
    while (!terminated_) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) break;
        if (running == 0) {
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
                if (message->msg == CURLMSG_DONE) {
                    finished = true;
                    code = message->data.result;
                }
            }
            break;
        }
        if (curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr) != CURLM_OK) break;
    }
    {
        std::lock_guard lock(mutex_);
        multi_ = nullptr;
    }
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &httpStatus_);
    curl_multi_remove_handle(multi.get(), e);
    easy_ = nullptr;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
        transferFailure_ = hfNoConnection;
        break;
    case CURLE_OPERATION_TIMEDOUT:
        transferFailure_ = hfTimeout;
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CONNECT_ERROR:
        transferFailure_ = hfSecurity;
        break;
    default:
        transferFailure_ = hfTransfer;
        break;
    }
    // A transfer cut short (timeout, connection lost before Content-Length was reached,
    // the reply too long) is a failure even when some bytes came.
    return finished && code == CURLE_OK && !terminated_ && received_ > 0;
}

std::size_t THTTPGetThread::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    return static_cast<THTTPGetThread*>(self)->Receive(data, size * count) ? size * count : 0;
}

bool THTTPGetThread::Receive(const char* data, std::size_t size) {
    if (!sawHeaders_) {
        sawHeaders_ = true;
        curl_off_t length = -1;
        curl_easy_getinfo(static_cast<CURL*>(easy_), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        // Without a length a binary reply has no known end, so none of it is taken.
        if (length < 0 && settings_.BinaryData) return false;
        if (length > settings_.MaxBytes) return false;
        if (length >= 0) expected_ = length;
    }
    while (size > 0) {
        if (terminated_) return false;
        const std::size_t piece = std::min(size, kPieceBytes);
        if (received_ + static_cast<std::int64_t>(piece) > settings_.MaxBytes) return false;
        text_.append(data, piece);
        received_ += static_cast<std::int64_t>(piece);
        if (settings_.ReportProgress) {
            Queue([self = shared_from_this(), expected = expected_, received = received_] {
                if (!self->released_ && self->onPiece_) self->onPiece_(expected, received);
            });
        }
        data += piece;
        size -= piece;
    }
    return true;
}

bool THTTPGetThread::WriteFile() {
    if (settings_.FileName.empty()) return false;
    // A write that fails half-way (a full disk) must not leave the previous file cut short.
    return composer::WriteFileAtomically(settings_.FileName, text_, composer::fwKeepExisting)
        .Written;
}

void THTTPGetThread::Queue(std::function<void()> call) {
    std::lock_guard lock(mutex_);
    if (context_) QMetaObject::invokeMethod(context_, std::move(call), Qt::QueuedConnection);
}

void THTTPGetThread::DeliverEnd() {
    Queue([self = shared_from_this()] {
        if (self->released_) return;
        const TEndHandler onEnd = self->onEnd_;
        if (onEnd) onEnd(*self);
    });
}

} // namespace update
