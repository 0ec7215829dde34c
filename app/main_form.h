// TMainForm1, the program's only permanent window: the QR code on top, the composition
// tabs with the user's lists below, the template buttons and the status bar. The
// handlers are split by concern over main_form_*.cpp.
//
// How app/ reports failure: a handler catches what composer throws and says it in
// Japanese itself. A file that cannot be read or written goes to the standard error box
// in FileFailureText's words (the settings file always through StoreSettings); a
// refusal the user can mend goes to a message box with its own caption. Anything a
// handler lets escape still reaches the standard error box (TApplication::notify) and
// the program goes on.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/about_box.h"
#include "app/string_holder.h"
#include "composer/composition.h"
#include "composer/text_files.h"
#include "platform/file_locations.h"

class QCheckBox;
class QComboBox;
class QLockFile;
class QTimer;
class QImage;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class TLargeView;

namespace composer {
class TExIniFile;
class TStoredList;
struct TDrawnSymbols;
struct TReadCheck;
} // namespace composer
namespace qr {
class TQRCode;
} // namespace qr
namespace platform {
class TAlertNotifier;
class TLamp;
class TLinkLabel;
class TRadioGroup;
class TStayDownButton;
} // namespace platform

class TMainForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `settingsFile` names the settings file; empty means the program's own file
    // beside the executable. The file is read here, before the window is shown.
    explicit TMainForm1(const QString& settingsFile = QString(), QWidget* parent = nullptr);
    // The settings file and the data folder as platform::FileLocations decided them.
    explicit TMainForm1(const platform::TFileLocations& where, QWidget* parent = nullptr);
    ~TMainForm1() override;

    // --- QR code page, phrases and settings (PageControl1) ---
    enum TPage : int { pgQrCode = 0, pgPhrases = 1, pgSettings = 2 };
    QTabWidget* PageControl1 = nullptr;
    QWidget* QRPanel = nullptr;
    qr::TQRCode* QRCode1 = nullptr;
    QLineEdit* LEdit1 = nullptr;
    QPushButton* WriteBtn2 = nullptr;
    QPushButton* DelBtn2 = nullptr;
    QPushButton* InsBtn2 = nullptr;
    QListView* ListBox2 = nullptr;
    QSpinBox* mContEdit = nullptr;
    platform::TRadioGroup* SubjectGroup1 = nullptr;
    QCheckBox* MemoCheck1 = nullptr;
    platform::TLinkLabel* ContactLink1 = nullptr;

    // --- subject and address row (MailPanel) ---
    QWidget* MailPanel = nullptr;
    QLineEdit* SubjectEdit1 = nullptr;
    QComboBox* MailComb1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* mDelbtn1 = nullptr;

    // --- composition tabs and the name panel (MainPanel) ---
    QWidget* MainPanel = nullptr;
    QTabWidget* sPage2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* SeiEdit1 = nullptr;
    QLineEdit* MeiEdit1 = nullptr;
    QLineEdit* kanaEdit1 = nullptr;
    QLineEdit* kanaEdit2 = nullptr;
    QLineEdit* PhoneEdit1 = nullptr;
    QLineEdit* PhoneEdit2 = nullptr;
    QLineEdit* AddresEdit1 = nullptr;
    QLineEdit* AddresEdit2 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QLineEdit* SiteEdit1 = nullptr;
    QLineEdit* URLEdit1 = nullptr;
    QLabel* BokLabel1 = nullptr;
    QWidget* Panel1 = nullptr;
    QLineEdit* NameEdit1 = nullptr;
    QPushButton* AddBtn1 = nullptr;
    QPushButton* DelBtn1 = nullptr;
    QListView* ListBox1 = nullptr;
    QPushButton* RpBtn1 = nullptr;
    QPushButton* RepBtn1 = nullptr;
    platform::TRadioGroup* CaraiaGroup1 = nullptr;

    // --- bottom bar (Panel2) and status bar ---
    QWidget* Panel2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* VchkBtn1 = nullptr;
    QPushButton* MemClear1 = nullptr;
    QPushButton* NoticeBtn1 = nullptr;
    QPushButton* ClipBtn1 = nullptr;
    platform::TLamp* ModeLED = nullptr;
    std::array<QPushButton*, 5> DocBtn{};
    platform::TStayDownButton* RWFlgBtn1 = nullptr;
    QPushButton* Button1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 2> StatusPanel{};

    // --- the ways out: large view, save, print, drag, clipboard (main_form_output.cpp) ---
    QPushButton* LargeBtn1 = nullptr;
    QPushButton* SaveBtn1 = nullptr;
    QPushButton* PrintBtn1 = nullptr;
    QCheckBox* ClipCheck1 = nullptr;
    // The open large view; null while none is open.
    QPointer<TLargeView> LargeView1;
    // Asks for the name to save the picture under, starting in `folder` (empty: the
    // pictures folder); an empty name cancels. The file dialog unless replaced.
    std::function<QString(const QString& folder)> AskSaveName;
    // The folder of the last picture saved, as the settings file keeps it.
    QString SaveFolder() const;
    // The [CONFIG] values the settings file keeps, in the order they are written.
    enum TConfigItem {
        ciWriteMode,
        ciMailMax,
        ciCarrier,
        ciSubjectOption,
        ciSaveMemo,
        ciClipboard,
        ciCount
    };
    // Writes the shown code to `path` as PNG, SVG or PDF by its suffix; a failure is
    // reported in a message box and leaves any existing file as it was.
    bool SaveCodeAs(const QString& path);
    void LargeBtn1Click();
    void SaveBtn1Click();
    void PrintBtn1Click();
    void ClipCheck1Click();

    // --- parts without a face ---
    std::unique_ptr<composer::TExIniFile> IniSet;
    // Where the settings, "MEMO.txt" and the templates live; folders are made on the
    // first write.
    platform::TFileLocations Locations;
    // The user's lists with the bytes the settings file holds; ListBox1, ListBox2,
    // MailComb1 and CaraiaGroup1 show them.
    composer::TStoredList* Names = nullptr;
    composer::TStoredList* Phrases = nullptr;
    composer::TStoredList* Carriers = nullptr;
    composer::TStoredList* Addresses = nullptr;
    TStringHolder SList1;
    std::unique_ptr<platform::TAlertNotifier> Alert1;
    TAboutBoxDlg AboutBoxDlg1;
    // The editor's text came from a "<User>" replacement; SList1 holds it as it was.
    bool RestorePending = false;

    // Highest number of stored addresses: mContEdit's value, 1..25.
    int MailMax() const;

    // Panel text of the status bar (0 or 1).
    QString StatusText(int panel) const;
    void SetStatusText(int panel, const QString& text);

    // The message editor's text as the logic sees it: Shift-JIS, lines joined with
    // CR LF, no line break after the last line.
    std::string EditorText() const;
    void SetEditorText(const std::string& text);

    // Desktop alert with an empty header.
    void ShowAlert(const QString& text);

    // --- handlers ---
    void Button1Click();
    void Memo1Change();
    void LEdit1Change();
    void WriteBtn2Click();
    void DelBtn2Click();
    void InsBtn2Click();
    void ListBox1Click();
    void ListBox1DblClick();
    void AddBtn1Click();
    void DelBtn1Click();
    void RpBtn1Click();
    void RepBtn1Click();
    void BitBtn2Click();
    void mDelbtn1Click();
    void MemClear1Click();
    void RWFlgBtn1Click();
    void DocBtnClick(int digit);
    void DocBtn1Click() { DocBtnClick(1); }
    void DocBtn2Click() { DocBtnClick(2); }
    void DocBtn3Click() { DocBtnClick(3); }
    void Docbtn4Click() { DocBtnClick(4); }
    void DocBtn5Click() { DocBtnClick(5); }
    void sPage2Change();
    void CaraiaGroup1Click();
    void ClipBtn1Click();
    void VchkBtn1Click();
    void BitBtn1Click();
    void FormShow();
    // Writes the settings, the draft and "MEMO.txt" when asked to. Refuses to close when
    // the user cancels a question about a loss (a failed write, characters "MEMO.txt"
    // cannot hold); after a termination request it asks nothing and agrees.
    bool FormCloseQuery();

    void LoadTemplate(int digit);
    void SaveTemplate(int digit);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildQrPages();
    void BuildMailPanel();
    void BuildMainPanel();
    void BuildBottomBar();
    void BuildStatusBar();
    void ConnectHandlers();
    void ConfigureQrCode();

    // Inserts `text` in place of the editor's selection, at the caret when none.
    void InsertIntoEditor(const QString& text);
    // The names, phrases, carriers and addresses from the settings store, and
    // back.
    void LoadLists();
    void SaveLists();
    void SetEditorLines(const QStringList& lines);
    QStringList EditorLines() const;
    void SetBookmarkFieldsForCarrier();

    // "作成" in two halves: the fields gathered for the composer, and what it made of
    // them shown (fields written back, a refusal, or the code drawn).
    std::array<QWidget*, composer::cfFieldCount> ComposerFieldWidgets() const;
    composer::TComposerFields ComposerFields() const;
    void ShowComposition(composer::TComposeTab tab, const composer::TComposition& composed);
    // The refusal's message box; the caret goes to the field it names.
    void ShowRefusal(const composer::TComposition& composed);
    // Writes the payload into the QR code and draws it: for the smartphone target at the
    // smallest symbols that carry it, else at the composer's version and `count`.
    void DrawPayload(const std::string& payload, int count, bool utf8);
    // Says why "作成" drew nothing. `characters` is the message counter's count (0 for
    // the card and the bookmark): above the counter's limit the excess is named.
    void ReportNotDrawn(int characters);

    // The settings the window keeps (main_form_settings.cpp): read when it is first
    // shown, written into the store at close.
    void ReadSettings();
    void WriteSettings();
    void WriteConfigItem(TConfigItem item);
    void RememberSaveFolder(const QString& folder);
    // Runs `write` against the settings store; a failure is reported in the standard
    // error box with the settings file's path and the likely reason. False then.
    bool StoreSettings(const std::function<void()>& write);

    void BuildOutputControls();
    QPoint dragStart_;
    bool dragArmed_ = false;

    // --- what survives a lost display or a second window (main_form_startup.cpp) ---
public:
    // Writes the lists and the draft now when a change waits for ChangeTimer: the timer
    // runs a quiet moment after each change, and the program's ways out call it too.
    void SaveChanges();
    QTimer* ChangeTimer = nullptr;
    // Another window holds the settings file: this one says so, closes and writes nothing.
    bool SettingsHeldElsewhere() const { return heldElsewhere_; }

private:
    bool TakeSettingsLock();
    void WatchForChanges();
    void LoadMessage();
    QString DataFile(const char* name) const;
    void SaveDraft();
    void SaveSettingsNow();
    // The failed write's words for the user: the file and the system's reason.
    QString WriteFailureText(const QString& path, const std::exception& error) const;
    std::shared_ptr<QLockFile> settingsLock_;
    bool heldElsewhere_ = false;
    // "MEMO.txt" as read at start-up and the editor's text then: an unchanged message is
    // not written, and the lines it could not decode go back as they came.
    composer::TMemoFile memoRead_;
    QString memoShown_;
    bool memoOnDisk_ = false;
    bool messageChanged_ = false;
    bool listsChanged_ = false;

    // --- honest state: what 作成 may run on, the shown code against the text, the write
    // mode, the keyboard and the names a screen reader speaks (main_form.cpp,
    // main_form_composer.cpp, main_form_templates.cpp) ---
public:
    // Whether the shown tab holds something 作成 can make a code of.
    bool CreateAllowed() const;
    // The shown code no longer carries what the fields hold (greyed, with a caption).
    bool CodeOutdated() const { return codeOutdated_; }
    // What the shown code carries, in words ("QR コード 2 個：メール … 宛"); empty when
    // none is shown.
    QString CodeDescription() const;
    QLabel* OutdatedLabel1 = nullptr;
    // Under the code: what a phone will show of it, read back from its pixels, or that it
    // does not read back (main_form_read_back.cpp).
    QLabel* ReadBackLabel1 = nullptr;
    // Reads the shown code back and compares it with the payload; false, with a warning
    // naming the first difference, when it does not read back as the payload.
    bool CheckShownCode(const std::string& payload, bool utf8);
    // The same check of a picture said to be the shown one (tests hand it a spoilt copy).
    bool CheckShownPicture(const QImage& picture);
    // Whether the shown code was read back as its payload: not yet, yes, or no (then
    // nothing leaves the window without the user's word).
    enum class TReadState { None, Checked, Unchecked };
    TReadState ReadState() const { return readState_; }

protected:
    // After the first show has restored the settings: every state the window derives
    // (lamp, buttons) agrees with them before anything is painted.
    bool event(QEvent* event) override;

private:
    void UpdateCreateButton();
    void UpdateInsertButton();
    void ShowWriteMode();
    void MarkCodeOutdated();
    void MarkCodeCurrent(const QString& description);
    void ReplaceEditorText(const QString& text);
    void SetUpKeyboard();
    void SetTabOrder();
    // Arrow keys on a radio button choose its neighbour in the group.
    bool RadioArrowKey(QObject* watched, QEvent* event);
    void NameControlsForScreenReaders();
    // Read-back of what leaves the window (main_form_read_back.cpp).
    composer::TDrawnSymbols DrawnPayload() const;
    void ShowUnchecked(const QString& what, const composer::TReadCheck& check);
    // The line under the code (`tip`: its tip when not the line itself), placed anew
    // when the panel changes size; hidden while the code is outdated.
    void ShowReadBackLine(const QString& line, const QString& tip);
    void HideReadBackLine();
    void PlaceReadBackLine();
    QString readLine_;
    // Reads `pictures` (a saved file, a dragged image, printed pages: `what` in the
    // warning) drawn at `modulePixels` to the module; false, with a warning, when they
    // do not read back as the shown code's payload.
    bool CheckOutput(const std::vector<QImage>& pictures, int modulePixels, const QString& what);
    // True when the shown code was read back, or the user says to `action` it anyway.
    bool ConfirmUnchecked(const QString& action);
    // Whether `pictures` may leave the window: they read back, or the user says so.
    bool MayLeave(const std::vector<QImage>& pictures, int modulePixels, const QString& what,
                  const QString& action);
    TReadState readState_ = TReadState::None;
    std::string readPayload_;
    bool readUtf8_ = false;
    // The subject and address typed on each composition tab, kept while another is shown.
    struct TTabMail {
        bool Visited = false;
        QString Subject;
        QString Address;
    };
    std::array<TTabMail, 3> tabMail_{};
    int shownTab_ = 0;
    bool codeOutdated_ = false;
    bool composing_ = false;
    bool firstPaintDone_ = false;
    QString codeDescription_;
};
