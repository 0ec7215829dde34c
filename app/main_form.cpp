// The window's face: every control, its caption, hint and place.
#include "app/main_form.h"
#include "composer/payload.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "composer/ex_ini_file.h"
#include "composer/stored_list.h"
#include "composer/text_files.h"
#include "platform/alert_notifier.h"
#include "platform/font_mapping.h"
#include "platform/lamp.h"
#include "platform/link_label.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"
#include "qr/qr_code.h"

namespace {

constexpr int kFormWidth = 550;
constexpr int kFormMinHeight = 600;
constexpr int kPageControlHeight = 177;
constexpr int kMailPanelHeight = 41;
constexpr int kBottomBarHeight = 32;
constexpr int kPanel1Width = 150;
constexpr int kDefaultMailMax = 15;
// Lists and editors give up height first when the screen is small.
constexpr int kLeastListHeight = 36;
// Room left for the window manager's title bar when the first size is chosen.
constexpr int kFrameAllowance = 40;
constexpr char kContactUrl[] = "https://varoku.example.jp/contact/";

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* IconButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                        const QString& hint) {
    auto* button = Named(new QPushButton(parent), name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(hint);
    button->setFixedSize(30, 26);
    return button;
}

QPushButton* TextButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint = QString()) {
    auto* button = Named(new QPushButton(caption, parent), name);
    if (!hint.isEmpty()) button->setToolTip(hint);
    return button;
}

// A list box showing `entries`, which it owns. One line of one font each: without
// uniform sizes the view would measure every entry of a long list before showing the first.
QListView* ListView(QWidget* parent, const char* name, composer::TStoredList*& entries) {
    auto* list = Named(new QListView(parent), name);
    entries = new composer::TStoredList(list);
    list->setModel(entries);
    list->setUniformItemSizes(true);
    return list;
}

// A label whose Alt mnemonic takes the caret to `buddy`; a screen reader names the
// field by it.
QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QLabel* FieldLabel(const QString& text, QWidget* parent, QWidget* buddy) {
    auto* label = BuddyLabel(text, buddy, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

TMainForm1::TMainForm1(const QString& settingsFile, QWidget* parent)
    : TMainForm1(platform::TFileLocations{settingsFile, QString(), true}, parent) {}

TMainForm1::TMainForm1(const platform::TFileLocations& where, QWidget* parent)
    : QMainWindow(parent), IniSet(std::make_unique<composer::TExIniFile>()), Locations(where),
      Alert1(std::make_unique<platform::TAlertNotifier>()) {
    setObjectName(QStringLiteral("MainForm1"));
    setWindowTitle(QStringLiteral("Varoku"));
    // The layout decides the least size, small enough for a 1366x768 screen at 150 %;
    // the first size is the designed one where the screen has room for it.
    setMinimumWidth(kFormWidth);
    QSize first(kFormWidth, kFormMinHeight);
    if (const QScreen* where = screen())
        first = first.boundedTo(where->availableGeometry().size() - QSize(0, kFrameAllowance));
    resize(first);

    QFont alertFont = platform::WindowsFont(QStringLiteral("メイリオ"), 12);
    Alert1->SetTextFont(alertFont);
    alertFont.setBold(true);
    Alert1->SetHeaderFont(alertFont);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    BuildQrPages();
    BuildMailPanel();
    BuildMainPanel();
    BuildBottomBar();
    // Both the code and the composition grow with the window; the code more.
    column->addWidget(PageControl1, 3);
    column->addWidget(MailPanel);
    column->addWidget(MainPanel, 2);
    column->addWidget(Panel2);
    BuildStatusBar();
    ConfigureQrCode();
    BuildOutputControls();

    AboutBoxDlg1.Title = QStringLiteral("Varoku のバージョン情報");
    AboutBoxDlg1.ProgramName = QStringLiteral("Varoku");
    AboutBoxDlg1.Version = QStringLiteral("Ver. ");
    AboutBoxDlg1.Copyright = QStringLiteral("Copyright (C) 2024 The Varoku authors");
    AboutBoxDlg1.Notes = QStringLiteral(
        "携帯電話で読み取れる QR コードを作成するソフトです。"
        "自由にお使いいただけますが、作成したコードは読み取りを確かめてからご利用下さい。");
    AboutBoxDlg1.UseOSStdFonts = true;

    ConnectHandlers();
    SetUpKeyboard();
    NameControlsForScreenReaders();

    // The settings store is read here, before the window is shown; FormShow only
    // takes values out of it.
    if (Locations.SettingsPath.isEmpty()) {
        IniSet->Loaded();
    } else {
        IniSet->SetFileName(Locations.SettingsPath);
    }
}

TMainForm1::~TMainForm1() = default;

void TMainForm1::BuildQrPages() {
    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->setMinimumHeight(kPageControlHeight);

    // "QR コード": the component fills a cream panel. It draws into a picture of its own
    // size, so it must have the panel's size, not the size of its last picture.
    QRPanel = Named(new QWidget(PageControl1), "QRPanel");
    QRPanel->setAutoFillBackground(true);
    QPalette cream = QRPanel->palette();
    cream.setColor(QPalette::Window, QColor(255, 251, 240));
    QRPanel->setPalette(cream);
    auto* qrLayout = new QVBoxLayout(QRPanel);
    qrLayout->setContentsMargins(0, 0, 0, 0);
    QRCode1 = Named(new qr::TQRCode(QRPanel), "QRCode1");
    QRCode1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    qrLayout->addWidget(QRCode1);
    // Over the code while it no longer matches the fields; placed when shown.
    OutdatedLabel1 =
        Named(new QLabel(QStringLiteral("文章が変わりました。この QR コードは"
                                        "今の内容ではありません。「作成」で作り直して下さい。"),
                         QRPanel),
              "OutdatedLabel1");
    OutdatedLabel1->setAutoFillBackground(true);
    OutdatedLabel1->setForegroundRole(QPalette::ToolTipText);
    OutdatedLabel1->setBackgroundRole(QPalette::ToolTipBase);
    OutdatedLabel1->setMargin(3);
    OutdatedLabel1->hide();
    ReadBackLabel1 = Named(new QLabel(QRPanel), "ReadBackLabel1");
    ReadBackLabel1->setTextFormat(Qt::PlainText);
    ReadBackLabel1->setWordWrap(true);
    ReadBackLabel1->setAutoFillBackground(true);
    ReadBackLabel1->setForegroundRole(QPalette::ToolTipText);
    ReadBackLabel1->setBackgroundRole(QPalette::ToolTipBase);
    ReadBackLabel1->setMargin(3);
    ReadBackLabel1->hide();
    PageControl1->addTab(QRPanel, QStringLiteral("QR コード"));

    // "短文": the phrase field with its buttons over the phrase list.
    auto* phrases = new QWidget(PageControl1);
    auto* phraseColumn = new QVBoxLayout(phrases);
    phraseColumn->setContentsMargins(6, 6, 6, 6);
    phraseColumn->setSpacing(4);
    auto* phraseRow = new QHBoxLayout;
    LEdit1 = Named(new QLineEdit(phrases), "LEdit1");
    WriteBtn2 = IconButton(phrases, "WriteBtn2", QStyle::SP_FileDialogNewFolder,
                           QStringLiteral("短文をリストへ追加します。"));
    DelBtn2 = IconButton(phrases, "DelBtn2", QStyle::SP_TrashIcon,
                         QStringLiteral("選択した短文をリストから削除します。"));
    InsBtn2 = TextButton(phrases, "InsBtn2", QStringLiteral("挿入"),
                         QStringLiteral("選択した短文を文章に挿入します。"));
    phraseRow->addWidget(LEdit1, 1);
    phraseRow->addWidget(WriteBtn2);
    phraseRow->addWidget(DelBtn2);
    phraseRow->addWidget(InsBtn2);
    ListBox2 = ListView(phrases, "ListBox2", Phrases);
    phraseColumn->addLayout(phraseRow);
    phraseColumn->addWidget(ListBox2, 1);
    PageControl1->addTab(phrases, QStringLiteral("短文"));

    // "設定": options on the left, the contact note on the right.
    auto* settings = new QWidget(PageControl1);
    auto* settingsRow = new QHBoxLayout(settings);
    settingsRow->setContentsMargins(4, 2, 4, 2);
    settingsRow->setSpacing(6);
    auto* options = new QGroupBox(QStringLiteral("設定"), settings);
    auto* optionsGrid = new QGridLayout(options);
    optionsGrid->setContentsMargins(6, 2, 6, 2);
    optionsGrid->setVerticalSpacing(2);
    mContEdit = Named(new QSpinBox(options), "mContEdit");
    mContEdit->setRange(1, 25);
    mContEdit->setValue(kDefaultMailMax);
    SubjectGroup1 =
        Named(new platform::TRadioGroup(QStringLiteral(" Subject 空欄の処理 "), options),
              "SubjectGroup1");
    SubjectGroup1->SetItems({QStringLiteral("何もしない。"),
                             QStringLiteral("本文から先頭10文字を利用"),
                             QStringLiteral("こんにちはを挿入")});
    SubjectGroup1->SetItemIndex(composer::soKeep);
    MemoCheck1 =
        Named(new QCheckBox(QStringLiteral("最後の文章を保存する"), options), "MemoCheck1");
    MemoCheck1->setChecked(true);
    optionsGrid->addWidget(
        BuddyLabel(QStringLiteral("メールアドレスの最大登録数(&X)"), mContEdit, options), 0, 0);
    optionsGrid->addWidget(mContEdit, 0, 1);
    optionsGrid->addWidget(SubjectGroup1, 1, 0, 1, 2);
    ClipCheck1 = Named(new QCheckBox(QStringLiteral("コピーボタンを使う"), options), "ClipCheck1");
    ClipCheck1->setToolTip(
        QStringLiteral("QR コードをクリップボードへコピーするボタンを使えるようにします。"));
    // The copy button works whenever a code is shown; the switch stays only so the
    // settings file keeps its key for other readers.
    ClipCheck1->setVisible(false);
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(MemoCheck1);
    checkRow->addWidget(ClipCheck1);
    optionsGrid->addLayout(checkRow, 2, 0, 1, 2);
    auto* contact = new QGroupBox(QStringLiteral("お問い合わせ"), settings);
    auto* contactColumn = new QVBoxLayout(contact);
    contactColumn->setContentsMargins(6, 2, 6, 4);
    auto* contactText = new QLabel(
        QStringLiteral(
            "お問い合わせは更新情報の内容をコピペの上下記のリンクからお問い合わせ下さい。"),
        contact);
    contactText->setWordWrap(true);
    contactText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ContactLink1 = Named(new platform::TLinkLabel(QStringLiteral("お問い合わせはこちら"), contact),
                         "ContactLink1");
    ContactLink1->SetURL(QString::fromLatin1(kContactUrl));
    contactColumn->addWidget(contactText, 1);
    contactColumn->addWidget(ContactLink1, 0, Qt::AlignRight);
    settingsRow->addWidget(options, 3);
    settingsRow->addWidget(contact, 2);
    PageControl1->addTab(settings, QStringLiteral("設定"));
}

void TMainForm1::BuildMailPanel() {
    MailPanel = Named(new QWidget(this), "MailPanel");
    MailPanel->setFixedHeight(kMailPanelHeight);
    auto* row = new QHBoxLayout(MailPanel);
    row->setContentsMargins(6, 4, 6, 4);
    row->setSpacing(4);
    SubjectEdit1 = Named(new QLineEdit(MailPanel), "SubjectEdit1");
    MailComb1 = Named(new QComboBox(MailPanel), "MailComb1");
    Addresses = new composer::TStoredList(MailComb1);
    MailComb1->setModel(Addresses);
    MailComb1->setEditable(true);
    MailComb1->setInsertPolicy(QComboBox::NoInsert); // stored only through BitBtn2
    MailComb1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    MailComb1->setMinimumContentsLength(12);
    BitBtn2 = IconButton(MailPanel, "BitBtn2", QStyle::SP_DialogSaveButton,
                         QStringLiteral("メールアドレスを登録します。"));
    mDelbtn1 = IconButton(MailPanel, "mDelbtn1", QStyle::SP_DialogDiscardButton,
                          QStringLiteral("選択したメールアドレスを削除します。"));
    row->addWidget(BuddyLabel(QStringLiteral("Su&bject:"), SubjectEdit1, MailPanel));
    row->addWidget(SubjectEdit1, 4);
    row->addSpacing(4);
    row->addWidget(BuddyLabel(QStringLiteral("Mail&AD:"), MailComb1, MailPanel));
    row->addWidget(MailComb1, 5);
    row->addWidget(BitBtn2);
    row->addWidget(mDelbtn1);
}

void TMainForm1::BuildMainPanel() {
    MainPanel = Named(new QWidget(this), "MainPanel");
    auto* row = new QHBoxLayout(MainPanel);
    row->setContentsMargins(4, 0, 4, 2);
    row->setSpacing(4);

    sPage2 = Named(new QTabWidget(MainPanel), "sPage2");

    // composer::tabMessage "文章& E-Mail 作成"
    Memo1 = Named(new QPlainTextEdit(sPage2), "Memo1");
    Memo1->setFont(platform::WindowsFont(QStringLiteral("MS UI Gothic"), 15));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setMinimumHeight(kLeastListHeight);
    Memo1->setPlaceholderText(QString::fromUtf8(composer::kDefaultMemoText));
    sPage2->addTab(Memo1, QStringLiteral("文章&& E-Mail 作成"));

    // composer::tabCard "住所登録"
    auto* card = new QWidget(sPage2);
    auto* cardGrid = new QGridLayout(card);
    cardGrid->setContentsMargins(4, 4, 4, 4);
    cardGrid->setHorizontalSpacing(3);
    cardGrid->setVerticalSpacing(3);
    struct Field {
        QLineEdit** edit;
        const char* name;
        const char* label;
    };
    const Field fields[] = {
        {&SeiEdit1, "SeiEdit1", "名前(姓)(&N):"},   {&MeiEdit1, "MeiEdit1", "名前(名)(&E):"},
        {&kanaEdit1, "kanaEdit1", "カナ(姓)(&K):"}, {&kanaEdit2, "kanaEdit2", "カナ(名)(&R):"},
        {&PhoneEdit1, "PhoneEdit1", "電話１(&T):"}, {&PhoneEdit2, "PhoneEdit2", "電話２(&Y):"},
        {&AddresEdit1, "AddresEdit1", "Mail&1:"},   {&AddresEdit2, "AddresEdit2", "Mail&2:"},
    };
    int index = 0;
    for (const Field& field : fields) {
        const int r = index / 2;
        const int c = (index % 2) * 2;
        *field.edit = Named(new QLineEdit(card), field.name);
        (*field.edit)->setMinimumWidth(40);
        cardGrid->addWidget(FieldLabel(QString::fromUtf8(field.label), card, *field.edit), r, c);
        cardGrid->addWidget(*field.edit, r, c + 1);
        ++index;
    }
    auto* kanaNote =
        new platform::TNoteLabel(QStringLiteral("※送り仮名はカナで入力して下さい。"), card);
    cardGrid->addWidget(kanaNote, 4, 1, 1, 3);
    Memo2 = Named(new QPlainTextEdit(card), "Memo2");
    auto* memoLabel = FieldLabel(QStringLiteral("メモ(&O):"), card, Memo2);
    memoLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    cardGrid->addWidget(memoLabel, 5, 0);
    cardGrid->addWidget(Memo2, 5, 1, 1, 3);
    Memo2->setMinimumHeight(kLeastListHeight);
    cardGrid->setRowStretch(5, 1);
    cardGrid->setColumnStretch(1, 1);
    cardGrid->setColumnStretch(3, 1);
    sPage2->addTab(card, QStringLiteral("住所登録"));

    // composer::tabBookmark "ブックマーク登録"
    auto* bookmark = new QWidget(sPage2);
    auto* bookmarkGrid = new QGridLayout(bookmark);
    bookmarkGrid->setContentsMargins(4, 6, 4, 4);
    SiteEdit1 = Named(new QLineEdit(bookmark), "SiteEdit1");
    URLEdit1 = Named(new QLineEdit(bookmark), "URLEdit1");
    bookmarkGrid->addWidget(FieldLabel(QStringLiteral("サイト名(&W):"), bookmark, SiteEdit1), 0, 0);
    bookmarkGrid->addWidget(SiteEdit1, 0, 1);
    bookmarkGrid->addWidget(FieldLabel(QStringLiteral("URL(&U):"), bookmark, URLEdit1), 1, 0);
    bookmarkGrid->addWidget(URLEdit1, 1, 1);
    auto* caution = new QGroupBox(QStringLiteral(" ★注意★ "), bookmark);
    caution->setAccessibleName(caution->title().trimmed());
    auto* cautionColumn = new QVBoxLayout(caution);
    BokLabel1 = Named(
        new QLabel(QStringLiteral(
                       "　QRコードからのブックマーク転送は仕様上、ドコモの携帯のみご利用可能となっ"
                       "ております、"
                       "他の携帯の方は大変申し訳ございませんがご了承頂きますようお願いします。"
                       "スマートフォンには「スマートフォン」を選ぶと URL をお送り頂けます。"),
                   caution),
        "BokLabel1");
    BokLabel1->setWordWrap(true);
    BokLabel1->setEnabled(false);
    cautionColumn->addWidget(BokLabel1);
    bookmarkGrid->addWidget(caution, 2, 0, 1, 2);
    bookmarkGrid->setRowStretch(3, 1);
    sPage2->addTab(bookmark, QStringLiteral("ブックマーク登録"));

    // Panel1: the user names, the tag buttons and the carrier.
    Panel1 = Named(new QWidget(MainPanel), "Panel1");
    Panel1->setFixedWidth(kPanel1Width);
    auto* side = new QVBoxLayout(Panel1);
    side->setContentsMargins(0, 2, 0, 0);
    side->setSpacing(3);
    NameEdit1 = Named(new QLineEdit(Panel1), "NameEdit1");
    NameEdit1->setToolTip(QStringLiteral("ユーザー名を入力します。"));
    AddBtn1 = IconButton(Panel1, "AddBtn1", QStyle::SP_FileDialogNewFolder,
                         QStringLiteral("ユーザー名をリストへ追加します。"));
    DelBtn1 = IconButton(Panel1, "DelBtn1", QStyle::SP_TrashIcon,
                         QStringLiteral("選択したユーザー名をリストから削除します。"));
    auto* nameRow = new QHBoxLayout;
    nameRow->setSpacing(2);
    nameRow->addWidget(NameEdit1, 1);
    nameRow->addWidget(AddBtn1);
    nameRow->addWidget(DelBtn1);
    ListBox1 = ListView(Panel1, "ListBox1", Names);
    ListBox1->setMinimumHeight(kLeastListHeight);
    RpBtn1 = TextButton(Panel1, "RpBtn1", QStringLiteral("<User>"),
                        QStringLiteral("文章のカーソルの位置に<User>タグを挿入します。"));
    RepBtn1 = TextButton(Panel1, "RepBtn1", QStringLiteral("置換"),
                         QStringLiteral("文章中の<User>タグとユーザー名を置き換えます。"));
    auto* tagRow = new QHBoxLayout;
    tagRow->setSpacing(2);
    tagRow->addWidget(RpBtn1);
    tagRow->addWidget(RepBtn1);
    CaraiaGroup1 =
        Named(new platform::TRadioGroup(QStringLiteral(" 携帯メーカー "), Panel1), "CaraiaGroup1");
    CaraiaGroup1->SetItems({QStringLiteral("Docomo"), QStringLiteral("Softbank"),
                            QStringLiteral("AU"), QString::fromUtf8(composer::kSmartphoneName)});
    CaraiaGroup1->SetItemIndex(composer::crDocomo);
    Carriers = new composer::TStoredList(CaraiaGroup1);
    side->addLayout(nameRow);
    side->addWidget(ListBox1, 1);
    side->addLayout(tagRow);
    side->addWidget(CaraiaGroup1);

    row->addWidget(sPage2, 1);
    row->addWidget(Panel1);
}

void TMainForm1::BuildBottomBar() {
    Panel2 = Named(new QWidget(this), "Panel2");
    Panel2->setFixedHeight(kBottomBarHeight);
    auto* row = new QHBoxLayout(Panel2);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(3);
    BitBtn1 = IconButton(Panel2, "BitBtn1", QStyle::SP_MessageBoxInformation,
                         QStringLiteral("このソフトの情報を表示します。"));
    VchkBtn1 = IconButton(Panel2, "VchkBtn1", QStyle::SP_BrowserReload,
                          QStringLiteral("新しいバージョンが出てないか確認できます。"));
    MemClear1 = TextButton(Panel2, "MemClear1", QStringLiteral("消去"),
                           QStringLiteral("メッセージを消去します。"));
    NoticeBtn1 = TextButton(Panel2, "NoticeBtn1", QStringLiteral("お知らせ"));
    NoticeBtn1->setEnabled(false);
    ClipBtn1 = IconButton(Panel2, "ClipBtn1", QStyle::SP_DialogSaveButton,
                          QStringLiteral("QR コードをクリップボードへコピーします。"));
    ClipBtn1->setEnabled(false);
    ModeLED = Named(new platform::TLamp(Panel2), "ModeLED");
    row->addWidget(BitBtn1);
    row->addWidget(VchkBtn1);
    row->addWidget(MemClear1);
    row->addWidget(NoticeBtn1);
    row->addWidget(ClipBtn1);
    row->addStretch(1);
    row->addWidget(ModeLED);
    static const char* const names[] = {"DocBtn1", "DocBtn2", "DocBtn3", "DocBtn4", "DocBtn5"};
    for (int i = 0; i < 5; ++i) {
        DocBtn[i] = TextButton(Panel2, names[i], QString::number(i + 1),
                               QStringLiteral("文例を読込み＆保存を行います。"));
        DocBtn[i]->setFixedSize(26, 26);
        row->addWidget(DocBtn[i]);
    }
    RWFlgBtn1 = Named(new platform::TStayDownButton(QStringLiteral("書込"), Panel2), "RWFlgBtn1");
    RWFlgBtn1->setToolTip(QStringLiteral("文例の保存モード＆読込みモードを切り替えます。"));
    Button1 = TextButton(Panel2, "Button1", QStringLiteral("作成"),
                         QStringLiteral("QR コードを作成します。"));
    Button1->setMinimumWidth(64);
    row->addWidget(RWFlgBtn1);
    row->addSpacing(6);
    row->addWidget(Button1);
}

void TMainForm1::BuildStatusBar() {
    StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(true);
    StatusPanel[0] = Named(new QLabel(StatusBar1), "StatusPanel0");
    StatusPanel[0]->setFixedWidth(350);
    StatusPanel[1] = Named(new QLabel(StatusBar1), "StatusPanel1");
    StatusPanel[1]->setFixedWidth(125);
    StatusPanel[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    StatusBar1->addWidget(StatusPanel[0]);
    StatusBar1->addPermanentWidget(StatusPanel[1]);
    setStatusBar(StatusBar1);
}

void TMainForm1::ConnectHandlers() {
    connect(Memo1, &QPlainTextEdit::textChanged, this, &TMainForm1::Memo1Change);
    connect(LEdit1, &QLineEdit::textChanged, this, &TMainForm1::LEdit1Change);
    connect(WriteBtn2, &QPushButton::clicked, this, &TMainForm1::WriteBtn2Click);
    connect(DelBtn2, &QPushButton::clicked, this, &TMainForm1::DelBtn2Click);
    connect(InsBtn2, &QPushButton::clicked, this, &TMainForm1::InsBtn2Click);
    connect(ListBox1, &QListView::clicked, this, &TMainForm1::ListBox1Click);
    connect(ListBox1, &QListView::doubleClicked, this, &TMainForm1::ListBox1DblClick);
    connect(AddBtn1, &QPushButton::clicked, this, &TMainForm1::AddBtn1Click);
    connect(DelBtn1, &QPushButton::clicked, this, &TMainForm1::DelBtn1Click);
    connect(RpBtn1, &QPushButton::clicked, this, &TMainForm1::RpBtn1Click);
    connect(RepBtn1, &QPushButton::clicked, this, &TMainForm1::RepBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TMainForm1::BitBtn2Click);
    connect(mDelbtn1, &QPushButton::clicked, this, &TMainForm1::mDelbtn1Click);
    connect(MemClear1, &QPushButton::clicked, this, &TMainForm1::MemClear1Click);
    connect(RWFlgBtn1, &QPushButton::clicked, this, &TMainForm1::RWFlgBtn1Click);
    connect(DocBtn[0], &QPushButton::clicked, this, &TMainForm1::DocBtn1Click);
    connect(DocBtn[1], &QPushButton::clicked, this, &TMainForm1::DocBtn2Click);
    connect(DocBtn[2], &QPushButton::clicked, this, &TMainForm1::DocBtn3Click);
    connect(DocBtn[3], &QPushButton::clicked, this, &TMainForm1::Docbtn4Click);
    connect(DocBtn[4], &QPushButton::clicked, this, &TMainForm1::DocBtn5Click);
    // FormShow turns the page with this connection blocked: only the user's choice
    // announces the new mode.
    connect(sPage2, &QTabWidget::currentChanged, this, &TMainForm1::sPage2Change);
    connect(CaraiaGroup1, &platform::TRadioGroup::Click, this, &TMainForm1::CaraiaGroup1Click);
    connect(ClipBtn1, &QPushButton::clicked, this, &TMainForm1::ClipBtn1Click);
    connect(VchkBtn1, &QPushButton::clicked, this, &TMainForm1::VchkBtn1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TMainForm1::BitBtn1Click);
    connect(Button1, &QPushButton::clicked, this, &TMainForm1::Button1Click);

    // 作成 follows the shown tab's own fields, and any change to what the code is made
    // of marks the code on screen as no longer matching.
    const auto changed = [this] {
        UpdateCreateButton();
        MarkCodeOutdated();
    };
    for (QWidget* field : ComposerFieldWidgets()) {
        if (auto* line = qobject_cast<QLineEdit*>(field))
            connect(line, &QLineEdit::textChanged, this, changed);
        else if (auto* editor = qobject_cast<QPlainTextEdit*>(field))
            connect(editor, &QPlainTextEdit::textChanged, this, changed);
        else if (auto* combo = qobject_cast<QComboBox*>(field))
            connect(combo, &QComboBox::editTextChanged, this, changed);
    }
    connect(CaraiaGroup1, &platform::TRadioGroup::Click, this, &TMainForm1::MarkCodeOutdated);
    connect(SubjectGroup1, &platform::TRadioGroup::Click, this, &TMainForm1::MarkCodeOutdated);
    // 挿入 needs a chosen phrase.
    connect(ListBox2->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TMainForm1::UpdateInsertButton);
    connect(ListBox2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TMainForm1::UpdateInsertButton);
    connect(Phrases, &QAbstractItemModel::modelReset, this, &TMainForm1::UpdateInsertButton);
    connect(Phrases, &QAbstractItemModel::rowsRemoved, this, &TMainForm1::UpdateInsertButton);
    connect(Phrases, &QAbstractItemModel::rowsInserted, this, &TMainForm1::UpdateInsertButton);
    UpdateInsertButton();
    UpdateCreateButton();
}

bool TMainForm1::event(QEvent* event) {
    const bool firstShow =
        event->type() == QEvent::Show && !event->spontaneous() && !firstPaintDone_;
    const bool handled = QMainWindow::event(event);
    if (firstShow) {
        firstPaintDone_ = true;
        if (RWFlgBtn1->Down()) ShowWriteMode();
        ModeLED->SetLit(!RWFlgBtn1->Down());
        ModeLED->setAccessibleName(QStringLiteral("文例のモード"));
        ModeLED->setAccessibleDescription(RWFlgBtn1->Down() ? QStringLiteral("書込みモード")
                                                            : QStringLiteral("読込みモード"));
        ClipBtn1->setEnabled(QRCode1->SymbolDisped());
        UpdateCreateButton();
        UpdateInsertButton();
        SetTabOrder();
        Memo1->setFocus(Qt::OtherFocusReason); // the first key typed goes to the message
    }
    return handled;
}

void TMainForm1::UpdateInsertButton() {
    const QModelIndex chosen = ListBox2->currentIndex();
    InsBtn2->setEnabled(chosen.isValid() && ListBox2->selectionModel()->isSelected(chosen));
}

void TMainForm1::SetUpKeyboard() {
    // Tab moves on from the editors; a tab character is not something a phone shows.
    Memo1->setTabChangesFocus(true);
    Memo2->setTabChangesFocus(true);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] {
            if (Button1->isEnabled()) Button1->click();
        });
    }
    // A field with text of its own keeps Ctrl+C for that text.
    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this,
            &TMainForm1::ClipBtn1Click);
    QRCode1->setFocusPolicy(Qt::StrongFocus);
    for (platform::TRadioGroup* group : {SubjectGroup1, CaraiaGroup1}) {
        group->installEventFilter(this); // its buttons are made anew with its items
        for (int i = 0; group->Button(i); ++i)
            group->Button(i)->installEventFilter(this);
    }
    SetTabOrder();
}

void TMainForm1::SetTabOrder() {
    // The output buttons sit in the tab strip's corner but are made last, and the radio
    // buttons are made anew with their items: put each where it is seen, then follow
    // the layout top to bottom.
    std::vector<QWidget*> order = {PageControl1->tabBar(),
                                   LargeBtn1,
                                   SaveBtn1,
                                   PrintBtn1,
                                   QRCode1,
                                   LEdit1,
                                   WriteBtn2,
                                   DelBtn2,
                                   InsBtn2,
                                   ListBox2,
                                   mContEdit};
    const auto radios = [&order](const platform::TRadioGroup* group) {
        for (int i = 0; group->Button(i); ++i)
            order.push_back(group->Button(i));
    };
    radios(SubjectGroup1);
    order.insert(order.end(),
                 {MemoCheck1, ClipCheck1,       ContactLink1, SubjectEdit1, MailComb1,   BitBtn2,
                  mDelbtn1,   sPage2->tabBar(), Memo1,        SeiEdit1,     MeiEdit1,    kanaEdit1,
                  kanaEdit2,  PhoneEdit1,       PhoneEdit2,   AddresEdit1,  AddresEdit2, Memo2,
                  SiteEdit1,  URLEdit1,         NameEdit1,    AddBtn1,      DelBtn1,     ListBox1,
                  RpBtn1,     RepBtn1});
    radios(CaraiaGroup1);
    order.insert(order.end(), {BitBtn1, VchkBtn1, MemClear1, NoticeBtn1, ClipBtn1});
    order.insert(order.end(), DocBtn.begin(), DocBtn.end());
    order.insert(order.end(), {RWFlgBtn1, Button1});
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

bool TMainForm1::RadioArrowKey(QObject* watched, QEvent* event) {
    auto* group = qobject_cast<platform::TRadioGroup*>(watched);
    if (group && event->type() == QEvent::ChildAdded) {
        auto* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType()) child->installEventFilter(this);
        if (firstPaintDone_)
            QMetaObject::invokeMethod(this, &TMainForm1::SetTabOrder, Qt::QueuedConnection);
        return false;
    }
    if (event->type() != QEvent::KeyPress || !watched->parent()) return false;
    group = qobject_cast<platform::TRadioGroup*>(watched->parent());
    if (!group) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1
                     : key == Qt::Key_Up || key == Qt::Key_Left  ? -1
                                                                 : 0;
    if (step == 0) return false;
    int at = 0;
    while (group->Button(at) && group->Button(at) != watched)
        ++at;
    const int count = static_cast<int>(group->Items().size());
    if (count == 0) return false;
    const int next = (at + step + count) % count;
    group->SetItemIndex(next);
    group->Button(next)->setFocus(Qt::TabFocusReason);
    return true;
}

void TMainForm1::NameControlsForScreenReaders() {
    const std::pair<QWidget*, QString> names[] = {
        {LEdit1, QStringLiteral("短文")},
        {ListBox2, QStringLiteral("短文の一覧")},
        {mContEdit, QStringLiteral("メールアドレスの最大登録数")},
        {Memo1, QStringLiteral("文章")},
        {NameEdit1, QStringLiteral("ユーザー名")},
        {ListBox1, QStringLiteral("ユーザー名の一覧")},
        {MailComb1, QStringLiteral("メールアドレス")},
        {SubjectEdit1, QStringLiteral("件名")},
        {PageControl1->tabBar(), QStringLiteral("QR コード・短文・設定")},
        {sPage2->tabBar(), QStringLiteral("作成する内容")},
        {RWFlgBtn1, QStringLiteral("文例の書込みモード")},
        {ModeLED, QStringLiteral("文例のモード")},
        {PageControl1, QStringLiteral("QR コード・短文・設定")},
        {sPage2, QStringLiteral("作成する内容")},
    };
    for (const auto& [widget, name] : names)
        widget->setAccessibleName(name);
    for (int i = 0; i < static_cast<int>(DocBtn.size()); ++i)
        DocBtn[static_cast<std::size_t>(i)]->setAccessibleName(
            QStringLiteral("文例 %1").arg(i + 1));
    // Icon-only buttons are named by their hints.
    for (QPushButton* button : findChildren<QPushButton*>())
        if (button->text().isEmpty() && button->accessibleName().isEmpty())
            button->setAccessibleName(button->toolTip());
    // The line edits inside the combo and spin boxes speak for their owners.
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        if (edit->accessibleName().isEmpty() && edit->parentWidget() &&
            !edit->parentWidget()->accessibleName().isEmpty())
            edit->setAccessibleName(edit->parentWidget()->accessibleName());
    MarkCodeCurrent(QString());
}

QString TMainForm1::CodeDescription() const {
    return QRCode1->SymbolDisped() ? codeDescription_ : QString();
}

void TMainForm1::MarkCodeCurrent(const QString& description) {
    codeOutdated_ = false;
    codeDescription_ = description;
    QRCode1->setGraphicsEffect(nullptr);
    OutdatedLabel1->hide();
    QRCode1->setAccessibleName(description.isEmpty() ? QStringLiteral("QR コード（未作成）")
                                                     : description);
    ClipBtn1->setEnabled(!description.isEmpty());
}

void TMainForm1::MarkCodeOutdated() {
    if (composing_ || codeOutdated_ || !QRCode1->SymbolDisped()) return;
    codeOutdated_ = true;
    auto* faded = new QGraphicsOpacityEffect(QRCode1);
    faded->setOpacity(0.3);
    QRCode1->setGraphicsEffect(faded);
    HideReadBackLine();
    OutdatedLabel1->setWordWrap(true);
    OutdatedLabel1->setFixedWidth(QRPanel->width());
    OutdatedLabel1->adjustSize();
    OutdatedLabel1->move(0, 0);
    OutdatedLabel1->raise();
    OutdatedLabel1->show();
    QRCode1->setAccessibleName(codeDescription_ + QStringLiteral("（今の内容とは異なります）"));
}

QString TMainForm1::StatusText(int panel) const {
    return panel == 0 || panel == 1 ? StatusPanel[panel]->text() : QString();
}

void TMainForm1::SetStatusText(int panel, const QString& text) {
    if (panel == 0 || panel == 1) StatusPanel[panel]->setText(text);
}
