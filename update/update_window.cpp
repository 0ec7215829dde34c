#include "update/update_window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "composer/shift_jis_text.h"
#include "platform/app_version.h"
#include "platform/font_mapping.h"
#include "platform/link_label.h"
#include "platform/machine_facts.h"
#include "update/http_get.h"
#include "update/version_compare.h"

#ifndef VAROKU_UPDATE_URL
#define VAROKU_UPDATE_URL "https://www.varoku.example.jp/software/update/Varoku.txt"
#endif

namespace update {

const char* const kUpdateAddress = VAROKU_UPDATE_URL;
const char* const kDownloadPageAddress = "https://www.varoku.example.jp/software/";

namespace {

std::string& Published() {
    static std::string version;
    return version;
}

// The strip at the window's left: a night-blue column with a finder square, a scatter
// of modules and an arrow falling towards the link below.
QPixmap DecorativePicture() {
    QPixmap picture(74, 171);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 171);
    sky.setColorAt(0, QColor(16, 32, 96));
    sky.setColorAt(1, QColor(88, 148, 220));
    painter.fillRect(picture.rect(), sky);

    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(17, 14, 40, 40);
    painter.setBrush(QColor(16, 32, 96));
    painter.drawRect(22, 19, 30, 30);
    painter.setBrush(Qt::white);
    painter.drawRect(27, 24, 20, 20);

    static constexpr int kModules[][2] = {{0, 0}, {2, 0}, {1, 1}, {3, 1}, {0, 2}, {2, 2},
                                          {4, 2}, {1, 3}, {4, 3}, {0, 4}, {3, 4}};
    painter.setBrush(QColor(255, 255, 255, 200));
    for (const auto& m : kModules)
        painter.drawRect(17 + m[0] * 8, 64 + m[1] * 8, 7, 7);

    QPainterPath arrow;
    arrow.moveTo(30, 112);
    arrow.lineTo(44, 112);
    arrow.lineTo(44, 134);
    arrow.lineTo(54, 134);
    arrow.lineTo(37, 156);
    arrow.lineTo(20, 134);
    arrow.lineTo(30, 134);
    arrow.closeSubpath();
    painter.setBrush(QColor(255, 214, 64));
    painter.drawPath(arrow);
    return picture;
}

QFrame* Panel(QWidget* parent, int height) {
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::NoFrame);
    panel->setFixedHeight(height);
    return panel;
}

} // namespace

const std::string& PublishedVersion() {
    return Published();
}

void SetPublishedVersion(std::string version) {
    Published() = std::move(version);
}

QUrl OwnSiteUrl(const QString& text) {
    const QUrl url = platform::BrowsableUrl(text);
    // "http://www.varoku.example.jp@evil.example/" names the host evil.example: the part
    // before "@" is a user name, and no address of ours carries one.
    if (!url.isValid() || !url.userInfo().isEmpty()) return {};
    const QUrl own(QString::fromLatin1(kDownloadPageAddress));
    if (url.host().compare(own.host(), Qt::CaseInsensitive) != 0) return {};
    return url;
}

std::string TagText(const std::string& text, const std::string& open, const std::string& close) {
    const std::size_t end = text.find(close);
    if (end == std::string::npos) return {};
    const std::string before = text.substr(0, end);
    const std::size_t start = before.find(open);
    if (start == std::string::npos) return {};
    return before.substr(start + open.size());
}

TForm2::TForm2(QWidget* parent)
    : QDialog(parent), PCInfo1(std::make_unique<platform::TPCInfo>()), updateURL_(kUpdateAddress) {
    setWindowTitle(QStringLiteral("更新情報"));
    setFixedSize(428, 296);
    setFont(platform::WindowsFont(QStringLiteral("ＭＳ Ｐゴシック"), 12));

    Panel1 = Panel(this, 173);
    Image1 = new QLabel(Panel1);
    Image1->setFixedSize(74, 171);
    Image1->setPixmap(DecorativePicture());
    Memo1 = new QPlainTextEdit(Panel1);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QStringLiteral("<<<<< ネット情報の取得中 >>>>>>>"));
    auto* top = new QHBoxLayout(Panel1);
    top->setContentsMargins(0, 1, 0, 1);
    top->setSpacing(0);
    top->addWidget(Image1);
    top->addWidget(Memo1);

    Panel2 = Panel(this, 44);
    URLLabel1 = new platform::TLinkLabel(QStringLiteral("Downlod はこちらからどうぞ！！"), Panel2);
    QFont linkFont = URLLabel1->font();
    linkFont.setPixelSize(15);
    URLLabel1->setFont(linkFont);
    URLLabel1->SetURL(QString::fromLatin1(kDownloadPageAddress));
    auto* middle = new QHBoxLayout(Panel2);
    middle->addWidget(URLLabel1, 0, Qt::AlignCenter);

    Panel3 = Panel(this, 40);
    Button1 = new QPushButton(QStringLiteral("閉じる"), Panel3);
    Button1->setFixedSize(75, 25);
    auto* bottom = new QHBoxLayout(Panel3);
    bottom->addWidget(Button1, 0, Qt::AlignCenter);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(Panel1);
    column->addWidget(Panel2);
    column->addStretch();
    column->addWidget(Panel3);

    HTTPGet1 = new THTTPGet(this);
    HTTPGet1->SetAcceptTypes("*/*");
    HTTPGet1->SetAgent("Brellmor HTTPGet");
    HTTPGet1->SetBinaryData(false);
    HTTPGet1->SetUseCache(false);
    HTTPGet1->SetWaitThread(false);
    HTTPGet1->SetMaxSize(kMaxUpdateTextBytes);
    HTTPGet1->OnDoneString = [this](QObject* sender, const std::string& result) {
        HTTPGet1DoneString(sender, result);
    };
    HTTPGet1->OnError = [this](QObject* sender) { HTTPGet1Error(sender); };
}

TForm2::~TForm2() {
    // The download goes first, so that nothing it still delivers can reach the
    // window's parts while they are being taken down.
    delete HTTPGet1;
    HTTPGet1 = nullptr;
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window coming back from the taskbar is not a new showing.
    if (!event->spontaneous()) FormShow();
}

void TForm2::FormShow() {
    Memo1->clear();
    Memo1->appendPlainText(QStringLiteral("*** アクセス中 ***"));
    HTTPGet1->SetURL(updateURL_);
    HTTPGet1->StartDownload();
}

QString FetchFailureText(THTTPFailure failure, long httpStatus) {
    QString reason;
    if (httpStatus >= 400) {
        reason = QStringLiteral("サーバーがエラー %1 を返しました").arg(httpStatus);
    } else {
        switch (failure) {
        case hfNoConnection:
            reason = QStringLiteral("ネットワークに接続できません");
            break;
        case hfTimeout:
            reason = QStringLiteral("応答がなく時間切れになりました");
            break;
        case hfAborted:
            reason = QStringLiteral("中断されました");
            break;
        case hfNone:
            reason = QStringLiteral("受け取った内容が更新情報ではありません");
            break;
        case hfTransfer:
            reason = QStringLiteral("受信が途中で失敗しました");
            break;
        case hfSecurity:
            reason = QStringLiteral("安全な接続を確立できません。証明書を確認できませんでした");
            break;
        }
    }
    return QStringLiteral("更新情報を取得できませんでした（%1）。").arg(reason);
}

void TForm2::HTTPGet1Error(QObject*) {
    Memo1->appendPlainText(FetchFailureText(HTTPGet1->Failure(), HTTPGet1->HttpStatus()));
}

void TForm2::HTTPGet1DoneString(QObject*, const std::string& Result) {
    // An error page or somebody else's text is a failed check, said under the access
    // line, not a report.
    if (HTTPGet1->HttpStatus() >= 400 || Result.find("Varoku") == std::string::npos) {
        HTTPGet1Error(HTTPGet1);
        return;
    }
    Memo1->clear();
    std::string version = TagText(Result, "<SoftVer>", "</SoftVer>");
    if (version.size() > kMaxVersionBytes) version.clear();
    SetPublishedVersion(std::move(version));
    const std::string address = TagText(Result, "<SoftURL>", "</SoftURL>");
    if (address.size() <= kMaxAddressBytes) {
        const QString page = composer::FromShiftJis(address);
        if (OwnSiteUrl(page).isValid()) URLLabel1->SetURL(page);
    }
    const std::string& running = platform::AppVersion();
    const bool newer = IsNewerVersion(PublishedVersion(), running);

    // Line by line, so that a fact that cannot be had leaves the lines before it.
    Memo1->appendPlainText(QStringLiteral("************** info **************"));
    Memo1->appendPlainText(newer ? QStringLiteral("新しいバージョンが公開されています。")
                                 : QStringLiteral("現在のバージョンは最新版です。"));
    Memo1->appendPlainText(QStringLiteral("----------------------------------"));
    Memo1->appendPlainText(QStringLiteral("現在のバージョン: ") + composer::FromShiftJis(running));
    Memo1->appendPlainText(QStringLiteral("新バージョン: ") +
                           composer::FromShiftJis(PublishedVersion()));
    Memo1->appendPlainText(QStringLiteral("************* PC Info *************"));
    Memo1->appendPlainText(QStringLiteral("CPU : ") + PCInfo1->ProcessorName());
    Memo1->appendPlainText(QStringLiteral("Freq : ") + QString::number(PCInfo1->ProcessorMHz()));
    Memo1->appendPlainText(QStringLiteral("MEM : ") +
                           QString::number(PCInfo1->AvailableVirtualMemory()));
    Memo1->appendPlainText(QStringLiteral("OS : ") + PCInfo1->OSProductName());
    Memo1->appendPlainText(QStringLiteral("Company: ") + PCInfo1->RegisteredOrganization());
}

void TForm2::Button1Click() {
    accept();
}

} // namespace update
