// The download worker behind THTTPGet: one thread per download that works on its own
// copy of the settings, talks HTTP through libcurl and hands its pieces and its end
// back to the user-interface thread as queued calls.
#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace update {

// A reply longer than this ends the download as a failure: the update text is a few
// lines, and nothing the server sends may make the program hold unbounded memory.
inline constexpr std::int64_t kMaxBodyBytes = std::int64_t{1} << 20;
// The body is read and reported in pieces of at most this many bytes.
inline constexpr std::size_t kPieceBytes = 1025;

// Everything a download needs, copied when it starts so that later changes of the
// component's properties cannot reach a running worker.
struct THTTPGetSettings {
    std::string AcceptTypes;
    std::string Agent;
    std::string URL;
    std::string FileName;
    std::string UserName;
    std::string Password;
    std::string PostQuery;
    std::string Referer;
    bool BinaryData = false;
    bool UseCache = false;
    // A file of trusted certificate authorities for HTTPS; empty for the system's own.
    std::string CAFile;
    std::int64_t MaxBytes = kMaxBodyBytes; // a longer reply fails
    bool ReportProgress = false;           // an OnProgress handler was assigned
    int ConnectTimeoutMs = 15000;
    int TimeoutMs = 60000; // the whole transfer, connection included
};

// Where the received bytes go.
enum THTTPTarget { htText, htFile };

// Why a download gave nothing, as far as the worker could tell.
enum THTTPFailure {
    hfNone,         // it succeeded
    hfNoConnection, // the host could not be found or reached (no network, no server)
    hfTimeout,      // connecting or the whole transfer took longer than allowed
    hfTransfer,     // the reply broke off, was too long, or had nothing in it
    hfSecurity,     // no secure connection: an untrusted certificate or a failed handshake
    hfAborted,      // Terminate asked it to stop
};

// Host, port and object path of a download address, and whether it is fetched over TLS.
struct THTTPAddress {
    bool Secure = false;
    std::string Host;
    int Port = 80;
    std::string Path; // starts with "/", query included
};

// Splits a download address: one starting with "https://" (any case) is secure and goes
// to port 443 unless it names one; otherwise a first "http://" (any case) is dropped and
// the address is plain HTTP on port 80. The host runs up to the first "/", the object
// path is the rest ("/" when there is none). A host ending in ":<1-65535>" gives that
// port.
THTTPAddress SplitURL(const std::string& url);

class THTTPGetThread : public std::enable_shared_from_this<THTTPGetThread> {
public:
    // Both run on the thread of the context object given to Start.
    using TPieceHandler = std::function<void(std::int64_t expected, std::int64_t received)>;
    using TEndHandler = std::function<void(THTTPGetThread& worker)>;

    static std::shared_ptr<THTTPGetThread> Create(THTTPGetSettings settings, THTTPTarget target);
    ~THTTPGetThread();

    // Starts the thread, which frees itself when it ends. Its pieces (when the settings
    // ask for progress) and its end are queued into `context`'s event loop; once Release
    // has been called they are dropped. Call once, from the context's thread, and call
    // Release before `context` is destroyed.
    void Start(QObject* context, TEndHandler onEnd, TPieceHandler onPiece = {});

    // Asks the worker to stop and marks its result failed. Any thread; a worker blocked
    // in the network is woken at once.
    void Terminate();
    bool Terminated() const { return terminated_.load(); }

    // After this returns no handler of this worker runs any more. Context's thread only.
    void Release();

    // What the download gave; read them from the end handler.
    bool Result() const;
    const std::string& Text() const { return text_; }
    // Why a failed download failed; hfNone after a success.
    THTTPFailure Failure() const;
    // The status the server's reply line gave, 0 when no reply came.
    long HttpStatus() const { return httpStatus_; }
    std::int64_t Received() const { return received_; }
    std::int64_t Expected() const { return expected_; }
    THTTPTarget Target() const { return target_; }
    const THTTPGetSettings& Settings() const { return settings_; }

    // Workers of this process whose threads have not yet ended.
    static int Running();
    // Waits until no worker thread is left; false when `timeout` passed first.
    static bool WaitForAll(std::chrono::milliseconds timeout);

private:
    THTTPGetThread(THTTPGetSettings settings, THTTPTarget target);

    void Execute();
    bool Transfer();
    bool Receive(const char* data, std::size_t size);
    bool WriteFile();
    void Queue(std::function<void()> call);
    void DeliverEnd();

    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);

    const THTTPGetSettings settings_;
    const THTTPTarget target_;

    std::atomic<bool> terminated_{false};
    mutable std::mutex mutex_;
    QObject* context_ = nullptr;        // guarded by mutex_
    void* multi_ = nullptr;             // guarded by mutex_: the curl multi handle to wake
    bool result_ = false;               // guarded by mutex_
    THTTPFailure failure_ = hfTransfer; // guarded by mutex_

    // The context's thread only.
    bool released_ = false;
    TEndHandler onEnd_;
    TPieceHandler onPiece_;

    // The worker thread only, until the end has been delivered.
    void* easy_ = nullptr;
    bool sawHeaders_ = false;
    std::string text_;
    std::int64_t received_ = 0;
    std::int64_t expected_ = 0;
    long httpStatus_ = 0;
    THTTPFailure transferFailure_ = hfTransfer;
};

} // namespace update
