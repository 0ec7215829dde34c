// The clipboard: pictures copied in each kind, the watch with its skip-next rule and
// Watch flag, and errors raised inside a notification.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <stdexcept>

#include "platform/message_box.h"
#include "qr/picture_output.h"
#include "tests/qr/qr_test_util.h"

namespace {

using qr::TQRCode;
using qr_test::TEventLog;

QClipboard* Clipboard() {
    return QGuiApplication::clipboard();
}

void PutImage() {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    Clipboard()->setImage(image);
}

class ClipboardTest : public qr_test::AppTest {
protected:
    void SetUp() override {
        Clipboard()->setText(QStringLiteral("BEFORE"));
        log.Attach(code);
    }

    TQRCode code;
    TEventLog log;
};

TEST_F(ClipboardTest, CopyPutsEachPictureKindWithADecodablePngAlongside) {
    struct Row {
        qr::TPictures picture;
        const char* vectorMime; // nullptr for the bitmap
    };
    const Row rows[] = {
        {qr::picBMP, nullptr}, {qr::picEMF, qr::kMimeSvg}, {qr::picWMF, qr::kMimePdf}};
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "picture " << int(row.picture));
        TQRCode copied;
        copied.SetSymbolEnabled(false);
        copied.SetMatch(true);
        copied.SetPxmag(3);
        copied.SetSymbolPicture(row.picture);
        copied.SetCode("COPY ME");
        copied.SetSymbolEnabled(true);
        ASSERT_TRUE(copied.SymbolDisped());
        copied.CopyToClipboard();

        const QMimeData* data = Clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        EXPECT_FALSE(data->hasText());
        EXPECT_TRUE(data->hasImage());
        ASSERT_TRUE(data->hasFormat(qr::kMimePng));
        const QImage png = QImage::fromData(data->data(qr::kMimePng), "PNG");
        const auto read = test_support::ReadPicture(png);
        ASSERT_TRUE(read.Valid) << read.Error;
        EXPECT_EQ(read.Bytes, "COPY ME");

        for (const char* mime : {qr::kMimeSvg, qr::kMimePdf}) {
            EXPECT_EQ(data->hasFormat(mime), row.vectorMime == mime) << mime;
        }
        if (row.vectorMime == qr::kMimeSvg) {
            const QImage svg = test_support::RenderSvg(data->data(qr::kMimeSvg), 2.0);
            const auto fromSvg = test_support::ReadPicture(svg);
            ASSERT_TRUE(fromSvg.Valid) << fromSvg.Error;
            EXPECT_EQ(fromSvg.Bytes, "COPY ME");
        }
        if (row.vectorMime == qr::kMimePdf) {
            EXPECT_TRUE(data->data(qr::kMimePdf).startsWith("%PDF-"));
        }
    }
}

TEST_F(ClipboardTest, CopyWithoutAPictureLeavesTheClipboardEmpty) {
    code.Clear();
    code.CopyToClipboard();
    const QMimeData* data = Clipboard()->mimeData();
    EXPECT_TRUE(data == nullptr || data->formats().isEmpty());
}

TEST_F(ClipboardTest, WatchTakesEveryLaterTextButNotTheOneAlreadyThere) {
    code.SetClipWatch(true);
    EXPECT_EQ(code.Code(), "");
    EXPECT_TRUE(log.Events.empty());

    Clipboard()->setText(QStringLiteral("AFTER"));
    EXPECT_EQ(code.Code(), "AFTER");
    const std::vector<std::string> watched{"ChangeCode:1", "PaintSymbol:1", "PaintedSymbol:1",
                                           "ChangedCode:1"};
    EXPECT_EQ(log.Events, watched);

    log.Reset();
    Clipboard()->setText(QStringLiteral("AFTER")); // the same text again is a new change
    EXPECT_EQ(log.Events, watched);

    log.Reset();
    PutImage();
    code.CopyToClipboard(); // our own picture is a change without text
    EXPECT_EQ(code.Code(), "AFTER");
    EXPECT_TRUE(log.Events.empty());

    Clipboard()->setText(QString::fromUtf8("日本語"));
    EXPECT_EQ(code.Code(), "\x93\xfa\x96\x7b\x8c\xea"); // code page 932

    log.Reset();
    code.SetCode("DIRECT"); // outside a notification Watch is false again
    EXPECT_EQ(log.Events.front(), "ChangeCode:0");

    code.SetClipWatch(false);
    Clipboard()->setText(QStringLiteral("IGNORED"));
    EXPECT_EQ(code.Code(), "DIRECT");
}

TEST_F(ClipboardTest, SwitchingWatchOnAgainTakesNothingEither) {
    code.SetClipWatch(true);
    code.SetClipWatch(true);
    code.SetClipWatch(false);
    code.SetClipWatch(true);
    EXPECT_EQ(code.Code(), "");
    Clipboard()->setText(QStringLiteral("ONCE"));
    EXPECT_EQ(code.Code(), "ONCE");
    EXPECT_EQ(log.Passes, 1);
}

TEST_F(ClipboardTest, AHandlerOfOurOwnHearsTheJoinAndEachChange) {
    int heard = 0;
    code.SetOnClipboardChange([&](TQRCode* sender) {
        EXPECT_EQ(sender, &code);
        ++heard;
    });
    Clipboard()->setText(QStringLiteral("NOT WATCHING"));
    EXPECT_EQ(heard, 0);

    code.SetClipWatch(true);
    EXPECT_EQ(heard, 1); // joining reports the clipboard as it stands
    Clipboard()->setText(QStringLiteral("ONE"));
    PutImage();
    EXPECT_EQ(heard, 3);
    EXPECT_EQ(code.Code(), ""); // the default handler is not there to paste

    code.SetOnClipboardChange(nullptr); // no handler: out of the watch
    Clipboard()->setText(QStringLiteral("TWO"));
    EXPECT_EQ(heard, 3);

    code.SetOnClipboardChange([&code = code](TQRCode* sender) { code.ClipboardChanged(sender); });
    Clipboard()->setText(QStringLiteral("THREE"));
    EXPECT_EQ(code.Code(), "THREE");
}

TEST_F(ClipboardTest, PasteTakesTextOnly) {
    Clipboard()->setText(QStringLiteral("PASTED"));
    code.PasteFromClipboard();
    EXPECT_EQ(code.Code(), "PASTED");
    EXPECT_EQ(log.Events.front(), "ChangeCode:0");
    PutImage();
    code.PasteFromClipboard();
    EXPECT_EQ(code.Code(), "PASTED");
}

// Raises from its code-change notification while armed, as a failing Code write would.
class TFailingQRCode : public TQRCode {
public:
    bool Armed = false;

protected:
    void DoChangeCode() override {
        TQRCode::DoChangeCode();
        if (Armed) throw std::runtime_error("Illegal Offset[3] : 120");
    }
};

TEST_F(ClipboardTest, AnErrorInsideANotificationIsShownAndWatchingGoesOn) {
    std::vector<platform::TMessageRequest> shown;
    platform::ScopedMessageHandler answer([&](const platform::TMessageRequest& request) {
        shown.push_back(request);
        return platform::MsgResult::Ok;
    });
    TFailingQRCode failing;
    TEventLog failingLog;
    failingLog.Attach(failing);
    failing.SetClipWatch(true);

    failing.Armed = true;
    Clipboard()->setText(QStringLiteral("FAILS"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, QStringLiteral("Illegal Offset[3] : 120"));
    EXPECT_TRUE(shown[0].StandardError);
    EXPECT_EQ(failing.Code(), "");

    failing.Armed = false;
    failingLog.Reset();
    failing.SetCode("DIRECT");
    EXPECT_EQ(failingLog.Events.front(), "ChangeCode:0"); // the flag came back down

    Clipboard()->setText(QStringLiteral("WORKS"));
    EXPECT_EQ(failing.Code(), "WORKS");
    EXPECT_EQ(shown.size(), 1u);
}

} // namespace
