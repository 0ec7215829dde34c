// Start-up and closing: restoring the saved state when the window is first shown,
// writing it when the window closes, and the about and update windows.
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>

#include "app/application.h"
#include "app/main_form.h"
#include "composer/composition.h"
#include "composer/ex_ini_file.h"
#include "composer/file_error.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "composer/text_files.h"
#include "platform/app_version.h"
#include "platform/keyboard_type.h"
#include "platform/message_box.h"
#include "platform/placement_qt.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"
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

void TMainForm1::FormShow() {
    SList1.Clear();

    ReadSettings();
    ClipBtn1->setEnabled(ClipCheck1->isChecked());

    composer::RemoveStaleTextTemporaries(Locations.DataDir);
    const QString memoPath =
        platform::FileIn(Locations.DataDir, QString::fromLatin1(composer::kMemoFileName));
    if (composer::MemoWorthLoading(memoPath)) {
        try {
            SetEditorText(composer::LoadTextFile(memoPath));
        } catch (const composer::EFileError&) {
            Memo1->clear();
            platform::ShowStandardError(FileFailureText(memoPath, false));
        }
    }

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
}

bool TMainForm1::FormCloseQuery() {
    // A settings file that cannot be written (a read-only program directory) is
    // reported, and the window closes all the same: keeping it open would leave the
    // user no way out.
    StoreSettings([this] {
        // Every value goes into the store first and the file is written once: with
        // a long address book, a rewrite per value cost minutes.
        IniSet->SetAutoUpdate(false);
        try {
            WriteSettings();
        } catch (...) {
            IniSet->SetAutoUpdate(true);
            throw;
        }
        IniSet->SetAutoUpdate(true);
        IniSet->Flush();
    });

    if (MemoCheck1->isChecked()) {
        // The file stays Shift-JIS for whatever else reads it, so a character without a
        // form there is lost: name each one rather than let it turn into "?" unseen.
        const QStringList gaps =
            composer::CharactersWithoutShiftJis(QStringLiteral("本文"), Memo1->toPlainText());
        if (!gaps.isEmpty())
            platform::ShowMessage(
                QStringLiteral("携帯電話の文字（Shift-JIS）にない文字は「?」として保存しました。"
                               "\r\n%1")
                    .arg(gaps.join(QStringLiteral("\r\n"))),
                QStringLiteral("文章の保存"), platform::MsgIcon::Warning);
        try {
            platform::EnsurePrivateFolder(Locations.DataDir);
            composer::SaveTextFile(
                platform::FileIn(Locations.DataDir, QString::fromLatin1(composer::kMemoFileName)),
                EditorText());
        } catch (const std::exception&) {
            platform::ShowMessage(QString::fromUtf8(composer::kMemoSaveFailedMessage),
                                  QString::fromUtf8(composer::kMemoSaveFailedCaption),
                                  platform::MsgIcon::Error);
        }
    }
    return true;
}

void TMainForm1::BitBtn1Click() {
    AboutBoxDlg1.Execute(this);
}

void TMainForm1::VchkBtn1Click() {
    // Owned by the application rather than this window, and destroyed however it closes.
    auto window = std::make_unique<update::TForm2>(nullptr);
    if (window->exec() == QDialog::Accepted) window->Memo1->clear();
}
