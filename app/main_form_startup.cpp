// Start-up and closing: restoring the saved state when the window is first shown,
// writing it when the window closes (and a quiet moment after each change, so that a
// lost display loses little), one window per settings file, and the about and update
// windows.
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

#include "app/application.h"
#include "app/main_form.h"
#include "composer/composition.h"
#include "composer/ex_ini_file.h"
#include "composer/file_error.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "composer/stored_list.h"
#include "composer/text_files.h"
#include "platform/app_version.h"
#include "platform/keyboard_type.h"
#include "platform/message_box.h"
#include "platform/placement_qt.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"
#include "platform/termination_signals.h"
#include "qr/qr_code.h"
#include "update/update_window.h"

void TMainForm1::ConfigureQrCode() {
    QRCode1->SetSymbolEnabled(false);
    QRCode1->SetColumn(composer::kComposerColumn);
    QRCode1->SetNumbering(qr::nbrTail);
    QRCode1->SetCommentUpLoc(qr::locLeft);
    QRCode1->SetCommentDown("No.");
    QRCode1->SetCommentDownLoc(qr::locCenter);
    QRCode1->SetVersion(composer::kComposerVersion);
    QRCode1->SetPxmag(composer::kComposerPxmag);
    QRCode1->SetMatch(false);
    QRCode1->SetTransparent(false);
    platform::TFont font;
    font.Name = QStringLiteral("ＭＳ Ｐゴシック");
    font.Height = -12;
    QRCode1->SetComFont(&font);
}

void TMainForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TMainForm1::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

namespace {

// How long the window waits after a change before it writes the lists and the draft: a
// lost display costs at most these last moments, and typing is not slowed by writes.
constexpr int kChangeDelayMs = 2000;

// The window whose changes are written when the program ends without closing it (the
// display connection broke and Qt ends the process with exit()).
QPointer<TMainForm1>& LiveForm() {
    static QPointer<TMainForm1> form;
    return form;
}

void SaveChangesOnExit() {
    if (TMainForm1* form = LiveForm()) form->SaveChanges();
}

} // namespace

QString TMainForm1::DataFile(const char* name) const {
    return platform::FileIn(Locations.DataDir, QString::fromLatin1(name));
}

bool TMainForm1::TakeSettingsLock() {
    if (settingsLock_ || heldElsewhere_ || IniSet->Path().isEmpty()) return !heldElsewhere_;
    // One window per settings file: two would each write back what they read, and the
    // last to close would silently undo the other's changes.
    auto lock = std::make_shared<QLockFile>(IniSet->Path() + QStringLiteral(".lock"));
    lock->setStaleLockTime(0); // a lock whose process is gone is stale however young
    if (lock->tryLock(0)) {
        settingsLock_ = std::move(lock);
        return true;
    }
    // A folder that takes no lock file takes no settings either: the close says so.
    if (lock->error() != QLockFile::LockFailedError) return true;
    heldElsewhere_ = true;
    platform::ShowMessage(
        QStringLiteral("設定ファイル %1 は、別の Varoku のウィンドウが使っています。\r\n"
                       "先に開いたウィンドウをお使い下さい。このウィンドウは閉じます。")
            .arg(QDir::toNativeSeparators(IniSet->Path())),
        QStringLiteral("Varoku は起動しています"), platform::MsgIcon::Information);
    QTimer::singleShot(0, this, &QWidget::close);
    return false;
}

void TMainForm1::LoadMessage() {
    const QString memoPath = DataFile(composer::kMemoFileName);
    memoRead_ = {};
    memoOnDisk_ = false;
    if (composer::MemoWorthLoading(memoPath)) {
        try {
            memoRead_ = composer::LoadMemoFile(memoPath);
            memoOnDisk_ = true;
            // An older version kept the instruction as text; it is the placeholder now.
            const bool instruction =
                memoRead_.Text == QString::fromUtf8(composer::kDefaultMemoText);
            Memo1->setPlainText(instruction ? QString() : memoRead_.Text);
        } catch (const composer::EFileError&) {
            Memo1->clear();
            platform::ShowStandardError(FileFailureText(memoPath, false));
        }
    }
    memoShown_ = Memo1->toPlainText();
    // The draft is the message as the window last held it, newer than "MEMO.txt"
    // whenever it is there: a close that wrote "MEMO.txt" removes it.
    const QString draftPath = DataFile(composer::kDraftFileName);
    if (QFileInfo(draftPath).isFile()) {
        try {
            const std::string draft = composer::LoadTextFile(draftPath);
            if (!draft.empty())
                Memo1->setPlainText(QString::fromUtf8(draft.data(), qsizetype(draft.size()))
                                        .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        } catch (const composer::EFileError&) {
            platform::ShowStandardError(FileFailureText(draftPath, false));
        }
    }
}

void TMainForm1::WatchForChanges() {
    ChangeTimer = new QTimer(this);
    ChangeTimer->setSingleShot(true);
    ChangeTimer->setInterval(kChangeDelayMs);
    connect(ChangeTimer, &QTimer::timeout, this, &TMainForm1::SaveChanges);
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        messageChanged_ = true;
        ChangeTimer->start();
    });
    for (composer::TStoredList* list : {Names, Phrases, Carriers, Addresses}) {
        const auto changed = [this] {
            listsChanged_ = true;
            ChangeTimer->start();
        };
        connect(list, &QAbstractItemModel::rowsInserted, this, changed);
        connect(list, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(list, &QAbstractItemModel::dataChanged, this, changed);
        connect(list, &QAbstractItemModel::modelReset, this, changed);
    }
    // The ways out that skip the close: the session's end, the event loop's end, and
    // exit() once the display connection is gone.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TMainForm1::SaveChanges);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { SaveChanges(); });
    LiveForm() = this;
    static const bool registered = std::atexit(SaveChangesOnExit) == 0;
    (void)registered;
}

void TMainForm1::SaveDraft() {
    platform::EnsurePrivateFolder(Locations.DataDir);
    QString text = Memo1->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    composer::SaveTextFile(DataFile(composer::kDraftFileName), text.toUtf8().toStdString());
}

void TMainForm1::SaveSettingsNow() {
    if (!Locations.Portable)
        platform::EnsurePrivateFolder(QFileInfo(IniSet->Path()).absolutePath());
    // Every value goes into the store first and the file is written once: with a long
    // address book, a rewrite per value cost minutes.
    IniSet->SetAutoUpdate(false);
    try {
        WriteSettings();
    } catch (...) {
        IniSet->SetAutoUpdate(true);
        throw;
    }
    IniSet->SetAutoUpdate(true);
    IniSet->Flush();
}

void TMainForm1::SaveChanges() {
    if (ChangeTimer) ChangeTimer->stop();
    if (heldElsewhere_) return;
    // Quietly: a box while the user types would be worse than a write tried again. A
    // failure keeps the change pending, and the close reports it.
    if (listsChanged_) {
        try {
            if (!Locations.Portable)
                platform::EnsurePrivateFolder(QFileInfo(IniSet->Path()).absolutePath());
            IniSet->SetAutoUpdate(false);
            SaveLists();
            IniSet->SetAutoUpdate(true);
            IniSet->Flush();
            listsChanged_ = false;
        } catch (const std::exception&) {
            IniSet->SetAutoUpdate(true);
        }
    }
    if (messageChanged_) {
        try {
            SaveDraft();
            messageChanged_ = false;
        } catch (const std::exception&) {
        }
    }
}

void TMainForm1::FormShow() {
    SList1.Clear();
    if (!TakeSettingsLock()) return;

    ReadSettings();
    ClipBtn1->setEnabled(ClipCheck1->isChecked());
    composer::RemoveStaleTextTemporaries(Locations.DataDir);
    LoadMessage();

    RestorePending = false;

    platform::SetAppVersion(platform::FileVersion());
    const QString version = QString::fromStdString(platform::AppVersion());
    AboutBoxDlg1.Version = QStringLiteral("Ver. ") + version;
    AboutBoxDlg1.SettingsPath = IniSet->Path();

    PageControl1->setCurrentIndex(pgQrCode);
    {
        const QSignalBlocker quiet(sPage2);
        sPage2->setCurrentIndex(composer::tabMessage);
    }
    setWindowTitle(QStringLiteral("Varoku Ver.") + version);

    QRCode1->Clear();
    QRCode1->SetSymbolEnabled(false);
    QRCode1->SetPxmag(composer::kComposerPxmag);
    QRCode1->SetTransparent(false);
    QRCode1->SetMatch(false);
    QRCode1->SetSymbolColor(platform::clBlack);
    QRCode1->SetBackColor(platform::clWhite);
    QRCode1->SetSymbolLeft(0);
    QRCode1->SetSymbolTop(0);
    QRCode1->SetVersion(composer::kComposerVersion);
    QRCode1->SetEmode(-1);
    QRCode1->SetCount(1);
    QRCode1->SetColumn(composer::kComposerColumn);

    SetStatusText(1, platform::TestKeyboardType() ? QStringLiteral(" J ") : QStringLiteral(" NO "));

    if (!ChangeTimer) WatchForChanges();
    messageChanged_ = false;
    listsChanged_ = false;
}

bool TMainForm1::FormCloseQuery() {
    // The other window owns the settings and the message; this one read them only.
    if (heldElsewhere_) return true;
    if (ChangeTimer) ChangeTimer->stop();
    const bool terminating = platform::TerminationRequested();
    const QString text = Memo1->toPlainText();
    // "MEMO.txt" is written only when it would change, so bytes another editor left in
    // it (no Shift-JIS) stay as they are until the user edits their line.
    bool writeMemo = MemoCheck1->isChecked() && !(memoOnDisk_ && text == memoShown_);
    bool memoWhole = true; // "MEMO.txt" will hold every character of the message
    if (writeMemo) {
        // The file stays Shift-JIS for whatever else reads it, so a character without a
        // form there would turn into "?": the user hears of it first and may go back.
        const QStringList gaps = composer::CharactersWithoutShiftJis(
            QStringLiteral("本文"), composer::MemoLinesEncodedAnew(text, memoRead_));
        memoWhole = gaps.isEmpty();
        if (!gaps.isEmpty()) {
            if (terminating) {
                // No one to ask: "MEMO.txt" stays as it was and the draft keeps the text.
                writeMemo = false;
            } else if (platform::ShowMessage(
                           QStringLiteral("携帯電話の文字（Shift-JIS）にない文字は、"
                                          "文章ファイルに「?」として保存されます。\r\n%1\r\n\r\n"
                                          "このまま保存して閉じますか？")
                               .arg(gaps.join(QStringLiteral("\r\n"))),
                           QStringLiteral("文章の保存"), platform::MsgIcon::Warning,
                           platform::MsgButtons::OkCancel) != platform::MsgResult::Ok) {
                return false;
            }
        }
    }

    QStringList failures;
    try {
        SaveSettingsNow();
        listsChanged_ = false;
    } catch (const std::exception& error) {
        failures << WriteFailureText(IniSet->Path(), error);
    }
    bool memoWritten = false;
    if (writeMemo) {
        const QString memoPath = DataFile(composer::kMemoFileName);
        try {
            platform::EnsurePrivateFolder(Locations.DataDir);
            composer::SaveTextFile(memoPath, composer::MemoFileBytes(text, memoRead_));
            memoWritten = true;
        } catch (const std::exception& error) {
            failures << WriteFailureText(memoPath, error);
        }
    }
    // With "MEMO.txt" holding the message the draft has nothing more to say; otherwise
    // it keeps the message for the next start.
    const QString draftPath = DataFile(composer::kDraftFileName);
    const bool memoHoldsText =
        (memoWritten && memoWhole) ||
        (MemoCheck1->isChecked() && !writeMemo && memoOnDisk_ && text == memoShown_);
    if (memoHoldsText) {
        if (QFileInfo::exists(draftPath)) QFile::remove(draftPath);
    } else {
        try {
            SaveDraft();
        } catch (const std::exception& error) {
            failures << WriteFailureText(draftPath, error);
        }
    }
    messageChanged_ = false;
    if (failures.isEmpty() || terminating) return true;
    return platform::ShowMessage(
               failures.join(QStringLiteral("\r\n")) +
                   QStringLiteral(
                       "\r\n\r\n保存されなかった内容は失われます。このまま閉じますか？\r\n"
                       "（「キャンセル」でウィンドウに戻ります）"),
               QString::fromUtf8(composer::kMemoSaveFailedCaption), platform::MsgIcon::Error,
               platform::MsgButtons::OkCancel) == platform::MsgResult::Ok;
}

void TMainForm1::BitBtn1Click() {
    AboutBoxDlg1.Execute(this);
}

void TMainForm1::VchkBtn1Click() {
    // Owned by the application rather than this window, and destroyed however it closes.
    auto window = std::make_unique<update::TForm2>(nullptr);
    if (window->exec() == QDialog::Accepted) window->Memo1->clear();
}
