// A main window for one test: its own temporary directory as the current directory
// (where "MEMO.txt" and the templates go), its own settings file there, message boxes
// answered from a queue and recorded, and the QR picture read back with zxing-cpp.
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "platform/message_box.h"
#include "tests/support/zxing_reader.h"

class QAbstractItemView;

namespace window_test {

// The application object of the program (with its standard error box), made once.
void EnsureApplication();

// Shift-JIS bytes of a UTF-8 literal, for expected payloads.
std::string ShiftJis(const char* utf8);

// Bytes of a file, empty when missing.
std::string ReadBytes(const QString& path);
void WriteBytes(const QString& path, const std::string& bytes);

// The rows a list box shows, and choosing one as a click would (-1: none).
QStringList Rows(const QAbstractItemView* list);
void ChooseRow(QAbstractItemView* list, int row);

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes and shows a new window on the settings file; the old one is destroyed
    // without being closed.
    TMainForm1& Start();
    // Closes the window as the user would (FormCloseQuery, then destruction).
    void CloseWindow();

    QString SettingsPath() const {
        return settings_.isEmpty() ? dir_.filePath(QStringLiteral("varoku.ini")) : settings_;
    }
    void UseSettings(const QString& path) { settings_ = path; }
    // Starts the window on these locations instead of the settings file.
    void UseLocations(const platform::TFileLocations& where) { where_ = where; }
    QString FilePath(const QString& name) const { return dir_.filePath(name); }

    // Answers given to the next message boxes; Ok / Yes when the queue is empty.
    void Answer(platform::MsgResult result) { answers_.push_back(result); }
    const std::vector<platform::TMessageRequest>& Boxes() const { return boxes_; }
    void ForgetBoxes() { boxes_.clear(); }

    // Types into the message editor (replacing its text).
    void Type(const QString& text);
    // Presses "作成".
    void Create();
    // Every symbol in the component's picture, in the order zxing-cpp finds them.
    std::vector<test_support::TZxingResult> Symbols();
    // The linked symbols put back together in index order; checks that they form one
    // complete set with one parity. Empty when that fails.
    std::string Joined(int expectedCount);

    TMainForm1* form = nullptr;

private:
    QTemporaryDir dir_;
    QString settings_;
    std::optional<platform::TFileLocations> where_;
    QString previousDir_;
    std::unique_ptr<TMainForm1> owned_;
    std::unique_ptr<platform::ScopedMessageHandler> handler_;
    std::deque<platform::MsgResult> answers_;
    std::vector<platform::TMessageRequest> boxes_;
};

} // namespace window_test
