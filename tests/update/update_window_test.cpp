#include "update/update_window.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "platform/app_version.h"
#include "platform/link_label.h"
#include "platform/machine_facts.h"
#include "platform/message_box.h"
#include "tests/update/local_server.h"
#include "update/http_get.h"

namespace update {
namespace {

using update_test::LocalHttpServer;
using update_test::ProcessEventsFor;
using update_test::ProcessEventsUntil;

class FakePCInfo : public platform::TPCInfo {
public:
    explicit FakePCInfo(bool memoryFails = false) : memoryFails_(memoryFails) {}
    QString ProcessorName() const override { return QStringLiteral("Test CPU @ 2.40GHz"); }
    std::int64_t ProcessorMHz() const override { return 2400; }
    std::uint64_t AvailableVirtualMemory() const override {
        if (memoryFails_) throw std::runtime_error("メモリ情報なし");
        return 140737488355328ull;
    }
    QString OSProductName() const override {
        return QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    }
    QString RegisteredOrganization() const override { return QStringLiteral("ヴァロク工房"); }

private:
    bool memoryFails_;
};

class UpdateWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { update_test::EnsureApp(); }

    void SetUp() override {
        platform::SetAppVersion(platform::FileVersion());
        previousOpener_ = platform::SetUrlOpener([this](const QUrl& url) {
            opened_.push_back(url);
            return true;
        });
    }

    void TearDown() override {
        platform::SetUrlOpener(std::move(previousOpener_));
        EXPECT_TRUE(THTTPGetThread::WaitForAll(std::chrono::seconds(10)));
        ProcessEventsFor(10);
    }

    static std::unique_ptr<TForm2> Open(const std::string& url, bool memoryFails = false) {
        auto form = std::make_unique<TForm2>();
        form->SetUpdateURL(url);
        form->PCInfo1 = std::make_unique<FakePCInfo>(memoryFails);
        form->HTTPGet1->SetConnectTimeout(300);
        form->HTTPGet1->SetTimeout(300);
        form->show();
        return form;
    }

    // Shows the window, lets its download end and returns the report's lines.
    static QStringList Report(TForm2& form) {
        EXPECT_TRUE(ProcessEventsUntil([&] { return !form.HTTPGet1->Busy(); }));
        ProcessEventsFor(20);
        const QString text = form.Memo1->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

    static void Click(QWidget* widget) {
        const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, inside, widget->mapToGlobal(inside),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, inside, widget->mapToGlobal(inside),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
        QCoreApplication::sendEvent(widget, &release);
    }

    std::vector<QUrl> opened_;
    platform::UrlOpener previousOpener_;
};

TEST_F(UpdateWindowTest, FullReportForANewerRelease) {
    LocalHttpServer server;
    server.Serve("/software/update/Varoku.txt",
                 "Varoku update information\r\n<SoftVer>2.1</SoftVer>\r\n"
                 "<SoftURL>http://www.varoku.example.jp/software/Varoku210.zip</SoftURL>\r\n");
    const auto form = Open(server.Url("/software/update/Varoku.txt"));
    const QStringList expected = {
        QStringLiteral("************** info **************"),
        QStringLiteral("新しいバージョンが公開されています。"),
        QStringLiteral("----------------------------------"),
        QStringLiteral("現在のバージョン: 2.0.1.0"),
        QStringLiteral("新バージョン: 2.1"),
        QStringLiteral("************* PC Info *************"),
        QStringLiteral("CPU : Test CPU @ 2.40GHz"),
        QStringLiteral("Freq : 2400"),
        QStringLiteral("MEM : 140737488355328"),
        QStringLiteral("OS : Debian GNU/Linux 12 (bookworm)"),
        QStringLiteral("Company: ヴァロク工房"),
    };
    EXPECT_EQ(Report(*form), expected);
    EXPECT_EQ(PublishedVersion(), "2.1");

    Click(form->URLLabel1);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0],
              QUrl(QStringLiteral("http://www.varoku.example.jp/software/Varoku210.zip")));
    EXPECT_EQ(form->URLLabel1->toolTip(),
              QStringLiteral("http://www.varoku.example.jp/software/Varoku210.zip"));
}

TEST_F(UpdateWindowTest, HowTheReplyIsRead) {
    struct Row {
        const char* name;
        std::string reply;
        bool reported;
        QString status;
        QString version;
        QString link;
    };
    const QString newer = QStringLiteral("新しいバージョンが公開されています。");
    const QString latest = QStringLiteral("現在のバージョンは最新版です。");
    const Row rows[] = {
        {"blanks kept",
         "Varoku<SoftVer> 2.1 </SoftVer><SoftURL>http://www.varoku.example.jp/</SoftURL>", true,
         latest, QStringLiteral(" 2.1 "), QStringLiteral("http://www.varoku.example.jp/")},
        {"closing tag only", "Varoku 2.1</SoftVer>", true, latest, QString(), QString()},
        {"opening tag only", "Varoku <SoftVer>2.1", true, latest, QString(), QString()},
        {"tags reversed", "Varoku </SoftVer>2.1<SoftVer>", true, latest, QString(), QString()},
        {"first pair counts", "Varoku <SoftVer>3</SoftVer><SoftVer>1</SoftVer>", true, newer,
         QStringLiteral("3"), QString()},
        {"first of each tag", "Varoku <SoftVer>3<SoftVer>4</SoftVer></SoftVer>", true, latest,
         QStringLiteral("3<SoftVer>4"), QString()},
        {"same release", "Varoku <SoftVer>2.0</SoftVer>", true, latest, QStringLiteral("2.0"),
         QString()},
        {"Shift-JIS text",
         "Varoku "
         "<SoftVer>\x82\x52</SoftVer><SoftURL>https://www.varoku.example.jp/\x83\x5f</SoftURL>",
         true, latest, QStringLiteral("３"), QStringLiteral("https://www.varoku.example.jp/ダ")},
        {"longest version", "Varoku <SoftVer>" + std::string(kMaxVersionBytes, '9') + "</SoftVer>",
         true, newer, QString(kMaxVersionBytes, QLatin1Char('9')), QString()},
        {"version too long",
         "Varoku <SoftVer>" + std::string(kMaxVersionBytes + 1, '9') + "</SoftVer>", true, latest,
         QString(), QString()},
        {"address too long",
         "Varoku <SoftURL>https://www.varoku.example.jp/" +
             std::string(kMaxAddressBytes - 29, 'x') + "</SoftURL>",
         true, latest, QString(), QString()},
        {"not ours", "varoku <SoftVer>9</SoftVer>", false, {}, {}, {}},
        {"error page", "<html><body>404 Not Found</body></html>", false, {}, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LocalHttpServer server;
        server.Serve("/Varoku.txt", row.reply);
        const auto form = Open(server.Url("/Varoku.txt"));
        const QString designLink = form->URLLabel1->URL();
        const QStringList lines = Report(*form);
        if (!row.reported) {
            EXPECT_EQ(lines, (QStringList{QStringLiteral("*** アクセス中 ***"),
                                          FetchFailureText(hfNone, 200)}));
            EXPECT_EQ(form->URLLabel1->URL(), designLink);
            continue;
        }
        ASSERT_EQ(lines.size(), 11);
        EXPECT_EQ(lines[1], row.status);
        EXPECT_EQ(lines[4], QStringLiteral("新バージョン: ") + row.version);
        EXPECT_EQ(form->URLLabel1->URL(), row.link.isEmpty() ? designLink : row.link);
    }
}

TEST_F(UpdateWindowTest, FailedDownloadKeepsTheAccessLineAndSaysWhy) {
    LocalHttpServer server;
    server.Serve("/big.txt", "Varoku <SoftVer>9</SoftVer>" + std::string(2 << 20, ' '));
    update_test::RawServer silent({}, /*answer=*/false);
    const std::string nobody =
        "http://127.0.0.1:" + std::to_string(update_test::ClosedPort()) + "/Varoku.txt";
    int boxes = 0;
    platform::ScopedMessageHandler answer([&](const platform::TMessageRequest&) {
        ++boxes;
        return platform::MsgResult::Ok;
    });
    update_test::RawServer refusing("HTTP/1.0 404 Not Found\r\nContent-Length: 6\r\n\r\nVaroku");
    update_test::RawServer badRequest(
        "HTTP/1.0 400 Bad Request\r\nContent-Length: 6\r\n\r\nVaroku");
    // One line of a mebibyte, as a broken or hostile server might send.
    server.ServeWithoutLength("/line.txt", "Varoku <SoftVer>" + std::string(1 << 20, '9'));
    const update_test::TestCertificate certificate;
    LocalHttpServer secure(&certificate);
    secure.Serve("/Varoku.txt", "Varoku <SoftVer>9</SoftVer>");
    const struct {
        std::string url;
        QString reason;
    } rows[] = {
        {nobody, QStringLiteral("ネットワークに接続できません")},
        {silent.Url("/Varoku.txt"), QStringLiteral("時間切れ")},
        {server.Url("/big.txt"), QStringLiteral("受信が途中で失敗しました")},
        {refusing.Url("/Varoku.txt"), QStringLiteral("サーバーがエラー 404 を返しました")},
        {badRequest.Url("/Varoku.txt"), QStringLiteral("サーバーがエラー 400 を返しました")},
        {server.Url("/line.txt"), QStringLiteral("受信が途中で失敗しました")},
        {secure.Url("/Varoku.txt"), QStringLiteral("証明書を確認できませんでした")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url);
        const auto form = Open(row.url);
        const QStringList lines = Report(*form);
        ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(lines[0], QStringLiteral("*** アクセス中 ***"));
        EXPECT_TRUE(lines[1].startsWith(QStringLiteral("更新情報を取得できませんでした（")));
        EXPECT_TRUE(lines[1].contains(row.reason)) << lines[1].toStdString();
    }
    EXPECT_EQ(boxes, 0);
}

TEST_F(UpdateWindowTest, ClosingDuringTheDownloadReportsNothing) {
    LocalHttpServer server;
    server.ServeHeld("/Varoku.txt", "Varoku <SoftVer>9</SoftVer>");
    int boxes = 0;
    platform::ScopedMessageHandler answer([&](const platform::TMessageRequest&) {
        ++boxes;
        return platform::MsgResult::Ok;
    });
    // As the main window uses it: shown modally, closed with its button, destroyed.
    auto form = std::make_unique<TForm2>();
    form->SetUpdateURL(server.Url("/Varoku.txt"));
    form->PCInfo1 = std::make_unique<FakePCInfo>();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!server.Requests().empty()) form->Button1->click();
    });
    closer.start(5);
    EXPECT_EQ(form->exec(), QDialog::Accepted);
    closer.stop();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("*** アクセス中 ***"));
    form.reset();

    server.Release();
    ASSERT_TRUE(THTTPGetThread::WaitForAll(std::chrono::seconds(10)));
    ProcessEventsFor(50);
    EXPECT_EQ(boxes, 0);
    EXPECT_TRUE(opened_.empty());
}

TEST_F(UpdateWindowTest, HostileAddressesAreNotOpened) {
    struct Row {
        std::string address;
        bool opens;
    };
    const Row rows[] = {
        {"file:///etc/passwd", false},
        {"javascript:alert(document.cookie)", false},
        {"JavaScript://%0Aalert(1)", false},
        {"mailto:someone@example.jp", false},
        {"/usr/bin/xterm", false},
        {"", false}, // the caption is taken, and it is no address
        {"http://www.varoku.example.jp@evil.example/software/", false},
        {"http://www.varoku.example.jp:pw@evil.example/", false},
        {"http://user@www.varoku.example.jp/", false},
        {"http://www.varoku.example.jp.evil.example/", false},
        {"https://evil.example/www.varoku.example.jp/", false},
        {"ftp://www.varoku.example.jp/", false},
        {"www.varoku.example.jp/software/", true},
        {"HTTPS://WWW.Varoku.Example.JP/software/", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.address);
        opened_.clear();
        LocalHttpServer server;
        server.Serve("/Varoku.txt", "Varoku <SoftURL>" + row.address + "</SoftURL>");
        const auto form = Open(server.Url("/Varoku.txt"));
        ASSERT_EQ(Report(*form).size(), 11);
        Click(form->URLLabel1);
        // A refused address leaves the link on the program's own download page.
        ASSERT_EQ(opened_.size(), 1u);
        const QUrl expected = row.opens
                                  ? platform::BrowsableUrl(QString::fromStdString(row.address))
                                  : QUrl(QString::fromLatin1(kDownloadPageAddress));
        EXPECT_EQ(opened_[0], expected);
        EXPECT_EQ(form->URLLabel1->toolTip(), expected.toDisplayString());
    }
}

TEST_F(UpdateWindowTest, AFactThatFailsLeavesTheLinesBeforeIt) {
    LocalHttpServer server;
    server.Serve("/Varoku.txt", "Varoku <SoftVer>2.1</SoftVer>");
    std::vector<platform::TMessageRequest> shown;
    platform::ScopedMessageHandler answer([&](const platform::TMessageRequest& request) {
        shown.push_back(request);
        return platform::MsgResult::Ok;
    });
    const auto form = Open(server.Url("/Varoku.txt"), /*memoryFails=*/true);
    const QStringList lines = Report(*form);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines.last(), QStringLiteral("Freq : 2400"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].StandardError);
    EXPECT_EQ(shown[0].Text, QStringLiteral("メモリ情報なし"));
}

TEST_F(UpdateWindowTest, EveryShowingChecksAgainWithTheMachinesOwnFacts) {
    LocalHttpServer server;
    server.Serve("/Varoku.txt", "Varoku <SoftVer>2.0</SoftVer>");
    const auto form = Open(server.Url("/Varoku.txt"));
    form->PCInfo1 = std::make_unique<platform::TPCInfo>();
    EXPECT_EQ(Report(*form).size(), 11);
    form->hide();
    form->show();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("*** アクセス中 ***"));
    const QStringList lines = Report(*form);
    EXPECT_EQ(server.Requests().size(), 2u);
    ASSERT_EQ(lines.size(), 11);
    const platform::TPCInfo facts;
    EXPECT_EQ(lines[6], QStringLiteral("CPU : ") + facts.ProcessorName());
    EXPECT_TRUE(lines[7].startsWith(QStringLiteral("Freq : ")));
    bool number = false;
    lines[7].mid(7).toLongLong(&number);
    EXPECT_TRUE(number) << lines[7].toStdString();
    lines[8].mid(6).toULongLong(&number);
    EXPECT_TRUE(lines[8].startsWith(QStringLiteral("MEM : ")) && number) << lines[8].toStdString();
    EXPECT_EQ(lines[9], QStringLiteral("OS : ") + facts.OSProductName());
    EXPECT_EQ(lines[10], QStringLiteral("Company: ") + facts.RegisteredOrganization());
}

} // namespace
} // namespace update
