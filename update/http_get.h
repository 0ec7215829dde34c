// THTTPGet, the download component of the update window: its published settings, its
// events, and the one worker thread it runs at a time.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "update/http_get_thread.h"

namespace update {

using TOnProgressEvent =
    std::function<void(QObject* Sender, std::int64_t total, std::int64_t received)>;
using TOnDoneFileEvent =
    std::function<void(QObject* Sender, const std::string& fileName, std::int64_t size)>;
using TOnDoneStringEvent = std::function<void(QObject* Sender, const std::string& result)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;

class THTTPGet : public QObject {
    Q_OBJECT
public:
    // AcceptTypes "*/*" and Agent "Brellmor HTTPGet"; everything else empty or off.
    explicit THTTPGet(QObject* owner = nullptr);
    // Aborts a running download; its end is never delivered.
    ~THTTPGet() override;

    const std::string& AcceptTypes() const { return settings_.AcceptTypes; }
    void SetAcceptTypes(std::string v) { settings_.AcceptTypes = std::move(v); }
    const std::string& Agent() const { return settings_.Agent; }
    void SetAgent(std::string v) { settings_.Agent = std::move(v); }
    bool BinaryData() const { return settings_.BinaryData; }
    void SetBinaryData(bool v) { settings_.BinaryData = v; }
    const std::string& URL() const { return settings_.URL; }
    void SetURL(std::string v) { settings_.URL = std::move(v); }
    bool UseCache() const { return settings_.UseCache; }
    void SetUseCache(bool v) { settings_.UseCache = v; }
    const std::string& FileName() const { return settings_.FileName; }
    void SetFileName(std::string v) { settings_.FileName = std::move(v); }
    const std::string& UserName() const { return settings_.UserName; }
    void SetUserName(std::string v) { settings_.UserName = std::move(v); }
    const std::string& Password() const { return settings_.Password; }
    void SetPassword(std::string v) { settings_.Password = std::move(v); }
    const std::string& PostQuery() const { return settings_.PostQuery; }
    void SetPostQuery(std::string v) { settings_.PostQuery = std::move(v); }
    const std::string& Referer() const { return settings_.Referer; }
    void SetReferer(std::string v) { settings_.Referer = std::move(v); }
    bool WaitThread() const { return waitThread_; }
    void SetWaitThread(bool v) { waitThread_ = v; }

    // Certificate authorities trusted for an https address, as a PEM file; empty (the
    // default) trusts the system's. The server's certificate is always checked.
    const std::string& CAFile() const { return settings_.CAFile; }
    void SetCAFile(std::string v) { settings_.CAFile = std::move(v); }
    // The longest reply taken, in bytes (1 to kMaxBodyBytes, the default); a longer one
    // ends the download as a failure. Other values are ignored.
    std::int64_t MaxSize() const { return settings_.MaxBytes; }
    void SetMaxSize(std::int64_t bytes);

    // How long connecting, and the whole download, may take before it fails
    // (milliseconds; 15 s and 60 s unless changed). Values below 1 are ignored.
    int ConnectTimeout() const { return settings_.ConnectTimeoutMs; }
    void SetConnectTimeout(int ms);
    int Timeout() const { return settings_.TimeoutMs; }
    void SetTimeout(int ms);

    TOnProgressEvent OnProgress;
    TOnDoneFileEvent OnDoneFile;
    TOnDoneStringEvent OnDoneString;
    TNotifyEvent OnError;

    // Starts a text download of URL on a worker thread, unless one is running. With
    // WaitThread the events already waiting in this thread's queue are run before it
    // returns. The outcome arrives later, on this thread, through the events.
    void StartDownload();
    // Asks a running worker to stop and marks the download failed; OnError follows
    // once the worker has ended.
    void AbortDownload();

    // True while a worker runs or its end has not been delivered yet.
    bool Busy() const { return worker_ != nullptr; }
    // The outcome of the last download that ended.
    bool Result() const { return result_; }
    // Why the last download that ended failed (hfNone after a success), and the status
    // of the server's reply line (0 when none came); an error page arrives as text.
    THTTPFailure Failure() const { return failure_; }
    long HttpStatus() const { return httpStatus_; }

protected:
    virtual void DoProgress(std::int64_t total, std::int64_t received);
    virtual void DoDoneFile(const std::string& fileName, std::int64_t size);
    virtual void DoDoneString(const std::string& result);
    virtual void DoError();

    // The worker's end, on this component's thread: the outcome becomes Result, the
    // matching event fires, and the worker is forgotten.
    void DownloadDone(THTTPGetThread& worker);

private:
    THTTPGetSettings settings_;
    bool waitThread_ = false;
    bool result_ = false;
    THTTPFailure failure_ = hfNone;
    long httpStatus_ = 0;
    std::shared_ptr<THTTPGetThread> worker_;
};

} // namespace update
