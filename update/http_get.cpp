#include "update/http_get.h"

#include <QCoreApplication>

#include <exception>

#include "platform/message_box.h"

namespace update {
namespace {

// Handlers run from the event loop, where nothing above would catch what they throw:
// their errors go to the standard error box and the program carries on.
template <typename F> void Guarded(F&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        platform::ShowStandardError(QString::fromUtf8(error.what()));
    }
}

} // namespace

THTTPGet::THTTPGet(QObject* owner) : QObject(owner) {
    settings_.AcceptTypes = "*/*";
    settings_.Agent = "Brellmor HTTPGet";
}

THTTPGet::~THTTPGet() {
    AbortDownload();
    if (worker_) worker_->Release();
}

void THTTPGet::SetConnectTimeout(int ms) {
    if (ms >= 1) settings_.ConnectTimeoutMs = ms;
}

void THTTPGet::SetMaxSize(std::int64_t bytes) {
    if (bytes >= 1 && bytes <= kMaxBodyBytes) settings_.MaxBytes = bytes;
}

void THTTPGet::SetTimeout(int ms) {
    if (ms >= 1) settings_.TimeoutMs = ms;
}

void THTTPGet::StartDownload() {
    if (worker_) return;
    THTTPGetSettings settings = settings_;
    settings.ReportProgress = static_cast<bool>(OnProgress);
    worker_ = THTTPGetThread::Create(std::move(settings), htText);
    worker_->Start(
        this, [this](THTTPGetThread& worker) { Guarded([&] { DownloadDone(worker); }); },
        [this](std::int64_t total, std::int64_t received) {
            Guarded([&] { DoProgress(total, received); });
        });
    if (waitThread_) QCoreApplication::processEvents();
}

void THTTPGet::AbortDownload() {
    if (worker_) worker_->Terminate();
}

void THTTPGet::DownloadDone(THTTPGetThread& worker) {
    if (worker_.get() != &worker) return;
    // Forgotten only after the events, so a handler cannot start a second download,
    // but forgotten even when a handler throws, or no download could start again.
    struct Forget {
        std::shared_ptr<THTTPGetThread>& worker;
        ~Forget() { worker.reset(); }
    } forget{worker_};
    result_ = worker.Result();
    failure_ = worker.Failure();
    httpStatus_ = worker.HttpStatus();
    if (!result_)
        DoError();
    else if (worker.Target() == htFile)
        DoDoneFile(worker.Settings().FileName, worker.Received());
    else
        DoDoneString(worker.Text());
}

void THTTPGet::DoProgress(std::int64_t total, std::int64_t received) {
    if (OnProgress) OnProgress(this, total, received);
}

void THTTPGet::DoDoneFile(const std::string& fileName, std::int64_t size) {
    if (OnDoneFile) OnDoneFile(this, fileName, size);
}

void THTTPGet::DoDoneString(const std::string& result) {
    if (OnDoneString) OnDoneString(this, result);
}

void THTTPGet::DoError() {
    if (OnError) OnError(this);
}

} // namespace update
