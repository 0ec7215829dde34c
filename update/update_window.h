// TForm2, the update window: downloads the update text each time it is shown and
// reports whether a newer release exists, where to get it, and the machine's facts.
#pragma once

#include <QDialog>
#include <QUrl>

#include <memory>
#include <string>

#include "update/http_get_thread.h"

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

namespace platform {
class TLinkLabel;
class TPCInfo;
} // namespace platform

namespace update {

class THTTPGet;

// The line that says the update information could not be fetched: the reason from the
// download's failure, or the server's error status when it sent one (400 and above).
QString FetchFailureText(THTTPFailure failure, long httpStatus);

// Where the update text is fetched from unless the window is told otherwise.
extern const char* const kUpdateAddress;
// The download page the link opens until an update text names another one.
extern const char* const kDownloadPageAddress;

// The longest update text taken, in bytes: it is a few short lines.
inline constexpr std::int64_t kMaxUpdateTextBytes = 16 * 1024;
// A published version or download address longer than this is not one.
inline constexpr std::size_t kMaxVersionBytes = 64;
inline constexpr std::size_t kMaxAddressBytes = 2048;

// The address a downloaded `<SoftURL>` may send the link to: an http or https address on
// the program's own site (the host of kDownloadPageAddress), with no user name or
// password in front of the host. Invalid for anything else.
QUrl OwnSiteUrl(const QString& text);

// The version the last update text published (Shift-JIS); empty until one arrives.
const std::string& PublishedVersion();
void SetPublishedVersion(std::string version);

// The text after the first `open` within the text before the first `close`; empty when
// `close` is missing or no `open` precedes it. Nothing is trimmed.
std::string TagText(const std::string& text, const std::string& open, const std::string& close);

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // The address FormShow downloads from; kUpdateAddress unless changed.
    const std::string& UpdateURL() const { return updateURL_; }
    void SetUpdateURL(std::string url) { updateURL_ = std::move(url); }

    // Each showing: the report area says the check is running and the download starts.
    void FormShow();
    // The downloaded text (Shift-JIS): the published version and address are read
    // from it and the report is written, or left empty when the text is not ours. The
    // link takes the address only when OwnSiteUrl accepts it.
    void HTTPGet1DoneString(QObject* Sender, const std::string& Result);
    // A download that failed, or brought an error page or a text that is not ours: a
    // line under the access line says the check failed and why, in a few words.
    void HTTPGet1Error(QObject* Sender);
    // The close button: the window closes with the result OK.
    void Button1Click();

    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QFrame* Panel2 = nullptr;
    platform::TLinkLabel* URLLabel1 = nullptr;
    QFrame* Panel3 = nullptr;
    QPushButton* Button1 = nullptr;
    THTTPGet* HTTPGet1 = nullptr;
    std::unique_ptr<platform::TPCInfo> PCInfo1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::string updateURL_;
};

} // namespace update
