// The window's face: every control, its caption, hint and place.
#include "app/main_form.h"
#include "composer/payload.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
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

QLabel* FieldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
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
    setMinimumSize(kFormWidth, kFormMinHeight);
    setMaximumWidth(kFormWidth);
    resize(kFormWidth, kFormMinHeight);

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
    column->addWidget(PageControl1);
    column->addWidget(MailPanel);
    column->addWidget(MainPanel, 1);
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
    PageControl1->setFixedHeight(kPageControlHeight);

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
    optionsGrid->addWidget(new QLabel(QStringLiteral("メールアドレスの最大登録数"), options), 0, 0);
    optionsGrid->addWidget(mContEdit, 0, 1);
    optionsGrid->addWidget(SubjectGroup1, 1, 0, 1, 2);
    ClipCheck1 = Named(new QCheckBox(QStringLiteral("コピーボタンを使う"), options), "ClipCheck1");
    ClipCheck1->setToolTip(
        QStringLiteral("QR コードをクリップボードへコピーするボタンを使えるようにします。"));
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
    row->addWidget(new QLabel(QStringLiteral("Subject:"), MailPanel));
    row->addWidget(SubjectEdit1, 4);
    row->addSpacing(4);
    row->addWidget(new QLabel(QStringLiteral("MailAD:"), MailPanel));
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
    Memo1->setPlainText(QString::fromUtf8(composer::kDefaultMemoText));
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
        {&SeiEdit1, "SeiEdit1", "名前(姓):"},    {&MeiEdit1, "MeiEdit1", "名前(名):"},
        {&kanaEdit1, "kanaEdit1", "カナ(姓):"},  {&kanaEdit2, "kanaEdit2", "カナ(名):"},
        {&PhoneEdit1, "PhoneEdit1", "電話１:"},  {&PhoneEdit2, "PhoneEdit2", "電話２:"},
        {&AddresEdit1, "AddresEdit1", "Mail1:"}, {&AddresEdit2, "AddresEdit2", "Mail2:"},
    };
    int index = 0;
    for (const Field& field : fields) {
        const int r = index / 2;
        const int c = (index % 2) * 2;
        *field.edit = Named(new QLineEdit(card), field.name);
        (*field.edit)->setMinimumWidth(40);
        cardGrid->addWidget(FieldLabel(QString::fromUtf8(field.label), card), r, c);
        cardGrid->addWidget(*field.edit, r, c + 1);
        ++index;
    }
    auto* kanaNote =
        new platform::TNoteLabel(QStringLiteral("※送り仮名はカナで入力して下さい。"), card);
    cardGrid->addWidget(kanaNote, 4, 1, 1, 3);
    Memo2 = Named(new QPlainTextEdit(card), "Memo2");
    auto* memoLabel = FieldLabel(QStringLiteral("メモ:"), card);
    memoLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    cardGrid->addWidget(memoLabel, 5, 0);
    cardGrid->addWidget(Memo2, 5, 1, 1, 3);
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
    bookmarkGrid->addWidget(FieldLabel(QStringLiteral("サイト名:"), bookmark), 0, 0);
    bookmarkGrid->addWidget(SiteEdit1, 0, 1);
    bookmarkGrid->addWidget(FieldLabel(QStringLiteral("URL:"), bookmark), 1, 0);
    bookmarkGrid->addWidget(URLEdit1, 1, 1);
    auto* caution = new QGroupBox(QStringLiteral(" ★注意★ "), bookmark);
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
}

QString TMainForm1::StatusText(int panel) const {
    return panel == 0 || panel == 1 ? StatusPanel[panel]->text() : QString();
}

void TMainForm1::SetStatusText(int panel, const QString& text) {
    if (panel == 0 || panel == 1) StatusPanel[panel]->setText(text);
}
