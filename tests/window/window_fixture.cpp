#include "tests/window/window_fixture.h"

#include <QAbstractItemView>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "app/application.h"
#include "composer/shift_jis_text.h"
#include "platform/alert_notifier.h"
#include "qr/qr_code.h"
#include "tests/support/qt_picture_reader.h"

namespace window_test {

void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_window";
    static char* argv[] = {name, nullptr};
    new TApplication(argc, argv);
}

std::string ShiftJis(const char* utf8) {
    return composer::ToShiftJis(QString::fromUtf8(utf8));
}

std::string ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QStringList Rows(const QAbstractItemView* list) {
    QStringList rows;
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows << model->index(row, 0).data().toString();
    return rows;
}

void ChooseRow(QAbstractItemView* list, int row) {
    list->setCurrentIndex(list->model()->index(row, 0));
}

void WindowTest::SetUp() {
    EnsureApplication();
    ASSERT_TRUE(dir_.isValid());
    previousDir_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    handler_ = std::make_unique<platform::ScopedMessageHandler>(
        [this](const platform::TMessageRequest& request) {
            boxes_.push_back(request);
            if (!answers_.empty()) {
                const platform::MsgResult answer = answers_.front();
                answers_.pop_front();
                return answer;
            }
            return request.Buttons == platform::MsgButtons::YesNo ? platform::MsgResult::Yes
                                                                  : platform::MsgResult::Ok;
        });
}

void WindowTest::TearDown() {
    owned_.reset();
    form = nullptr;
    handler_.reset();
    QDir::setCurrent(previousDir_);
}

TMainForm1& WindowTest::Start() {
    owned_.reset();
    owned_ = where_ ? std::make_unique<TMainForm1>(*where_)
                    : std::make_unique<TMainForm1>(SettingsPath());
    form = owned_.get();
    form->Alert1->SetDuration(60000); // an alert must still be there when the test looks
    form->show();
    return *form;
}

void WindowTest::CloseWindow() {
    ASSERT_NE(form, nullptr);
    form->close();
    owned_.reset();
    form = nullptr;
}

void WindowTest::Type(const QString& text) {
    form->Memo1->setPlainText(text);
}

void WindowTest::Create() {
    form->Button1->click();
}

std::vector<test_support::TZxingResult> WindowTest::Symbols() {
    const QImage image = form->QRCode1->BitmapImage();
    if (image.isNull()) return {};
    return test_support::ReadPictureAll(image);
}

std::string WindowTest::Joined(int expectedCount) {
    std::vector<test_support::TZxingResult> symbols = Symbols();
    if (static_cast<int>(symbols.size()) != expectedCount) {
        ADD_FAILURE() << "found " << symbols.size() << " symbols, expected " << expectedCount;
        return {};
    }
    std::sort(symbols.begin(), symbols.end(),
              [](const auto& a, const auto& b) { return a.SequenceIndex < b.SequenceIndex; });
    std::string joined;
    for (int i = 0; i < expectedCount; ++i) {
        const auto& s = symbols[static_cast<size_t>(i)];
        if (expectedCount > 1) {
            EXPECT_EQ(s.SequenceIndex, i);
            EXPECT_EQ(s.SequenceSize, expectedCount);
            EXPECT_EQ(s.SequenceId, symbols[0].SequenceId);
            // Drawn left to right in reading order.
            if (i > 0) {
                EXPECT_GT(s.CenterX, symbols[static_cast<size_t>(i - 1)].CenterX);
            }
        }
        joined += s.Bytes;
    }
    return joined;
}

} // namespace window_test
