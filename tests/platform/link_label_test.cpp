// The link label: which texts may reach the browser, and how a click and the mouse
// change it.
#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <vector>

#include "platform/link_label.h"
#include "tests/support/qt_app.h"

namespace {

TEST(LinkLabelAddress, OnlyWebAddressesAreBrowsable) {
    struct Row {
        const char* text;
        const char* url; // nullptr: refused
    };
    const Row rows[] = {
        {"http://www.example.jp/software/", "http://www.example.jp/software/"},
        {"HTTPS://Example.JP/dl?v=2.1", "https://example.jp/dl?v=2.1"},
        {"www.example.jp/software/", "http://www.example.jp/software/"},
        {"example.jp:8080/dl", "http://example.jp:8080/dl"},
        {"localhost:8080", "http://localhost:8080"},
        {"  http://example.jp/  ", "http://example.jp/"},
        {"file:///etc/passwd", nullptr},
        {"file:/etc/passwd", nullptr},
        {"FILE:///etc/passwd", nullptr},
        {"javascript:alert(1)", nullptr},
        {"javascript://%0Aalert(1)", nullptr},
        {"data:text/html,<script>alert(1)</script>", nullptr},
        {"mailto:someone@example.jp", nullptr},
        {"ftp://example.jp/file", nullptr},
        {"smb://server/share", nullptr},
        {"/usr/bin/xterm", nullptr},
        {"http:///etc/passwd", nullptr},
        {"Downlod はこちらからどうぞ！！", nullptr},
        {"", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const QUrl url = platform::BrowsableUrl(QString::fromUtf8(row.text));
        if (!row.url) {
            EXPECT_FALSE(url.isValid()) << url.toString().toStdString();
        } else {
            EXPECT_EQ(url, QUrl(QString::fromLatin1(row.url)));
        }
    }
}

class LinkLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_support::EnsureQtApp();
        previous_ = platform::SetUrlOpener([this](const QUrl& url) {
            opened_.push_back(url);
            return true;
        });
    }
    void TearDown() override { platform::SetUrlOpener(std::move(previous_)); }

    static void Send(QWidget& widget, QEvent::Type type, QPointF at) {
        QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &event);
    }

    std::vector<QUrl> opened_;
    platform::UrlOpener previous_;
};

TEST_F(LinkLabelTest, ClickOpensTheAddressOrTheCaption) {
    platform::TLinkLabel label(QStringLiteral("www.example.jp/caption"));
    label.resize(200, 20);
    const QPointF inside(10, 10);
    Send(label, QEvent::MouseButtonPress, inside);
    Send(label, QEvent::MouseButtonRelease, inside);
    label.SetURL(QStringLiteral("http://www.example.jp/address"));
    Send(label, QEvent::MouseButtonPress, inside);
    Send(label, QEvent::MouseButtonRelease, inside);
    // Released away from the caption: no click.
    Send(label, QEvent::MouseButtonPress, inside);
    Send(label, QEvent::MouseButtonRelease, QPointF(500, 10));
    ASSERT_EQ(opened_.size(), 2u);
    EXPECT_EQ(opened_[0], QUrl(QStringLiteral("http://www.example.jp/caption")));
    EXPECT_EQ(opened_[1], QUrl(QStringLiteral("http://www.example.jp/address")));

    label.SetURL(QStringLiteral("file:///etc/passwd"));
    EXPECT_FALSE(label.Open());
    EXPECT_EQ(opened_.size(), 2u);
}

TEST_F(LinkLabelTest, RedUnderTheMouseAndWhilePressed) {
    platform::TLinkLabel label(QStringLiteral("Downlod"));
    label.resize(200, 20);
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.CaptionColor(), QColor(Qt::blue));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::blue));

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), label.mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::red));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &leave);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::blue));

    Send(label, QEvent::MouseButtonPress, QPointF(5, 5));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::red));
    Send(label, QEvent::MouseButtonRelease, QPointF(500, 5));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::blue));
}

} // namespace
