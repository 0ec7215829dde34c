// The ways out of the window: the large view for a phone's camera, saving as PNG, SVG
// or PDF, printing, dragging the code into another program, and the clipboard switch.
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QDrag>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfDocument>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTabWidget>

#include "app/code_pictures.h"
#include "app/large_view.h"
#include "app/main_form.h"
#include "composer/atomic_file.h"
#include "composer/ex_ini_file.h"
#include "composer/shift_jis_text.h"
#include "platform/file_locations.h"
#include "platform/message_box.h"
#include "qr/engine/symbol_tables.h"
#include "qr/qr_code.h"

namespace {

const QString kSaveCaption = QStringLiteral("名前を付けて保存");

QString DefaultSaveName(const QString& folder) {
    const QString start = folder.isEmpty()
                              ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
                              : folder;
    return QDir(start).filePath(QStringLiteral("QRコード.png"));
}

// An SVG drawn as a grey picture `width` pixels wide.
QImage SvgPicture(const QByteArray& svg, int width) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid() || renderer.defaultSize().isEmpty()) return {};
    const QSize size = renderer.defaultSize().scaled(width, width * 4, Qt::KeepAspectRatio);
    QImage image(size, QImage::Format_Grayscale8);
    image.fill(255);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// The first page of a PDF drawn on white, `scale` times its size at screen resolution.
QImage PdfPicture(const QByteArray& pdf, int scale) {
    QBuffer buffer;
    buffer.setData(pdf);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QPdfDocument document;
    document.load(&buffer);
    if (document.status() != QPdfDocument::Status::Ready || document.pageCount() < 1) return {};
    const QSizeF points = document.pagePointSize(0);
    const QSize size(qRound(points.width() * 96 * scale / 72),
                     qRound(points.height() * 96 * scale / 72));
    QImage page(size, QImage::Format_Grayscale8);
    page.fill(255);
    QPainter painter(&page);
    painter.drawImage(0, 0, document.render(0, size));
    return page;
}

// The filter chosen in the dialog decides the suffix of a name typed without one.
QString AskSaveNameByDialog(QWidget* parent, const QString& folder) {
    const QString png = QStringLiteral("PNG 画像 (*.png)");
    const QString svg = QStringLiteral("SVG 画像 (*.svg)");
    const QString pdf = QStringLiteral("PDF 文書 (*.pdf)");
    QString filter = png;
    QString name = QFileDialog::getSaveFileName(
        parent, kSaveCaption, DefaultSaveName(folder),
        png + QStringLiteral(";;") + svg + QStringLiteral(";;") + pdf, &filter);
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
    if (filter == svg) return name + QStringLiteral(".svg");
    if (filter == pdf) return name + QStringLiteral(".pdf");
    return name + QStringLiteral(".png");
}

// Module size and page layout for printing, asked before Qt's own print dialog.
class TPrintSetupDlg : public QDialog {
public:
    enum { Print = 1, Preview = 2 };

    TPrintSetupDlg(QWidget* parent, bool linked) : QDialog(parent) {
        setWindowTitle(QStringLiteral("QR コードの印刷"));
        auto* form = new QFormLayout(this);
        ModuleEdit = new QDoubleSpinBox(this);
        ModuleEdit->setRange(kMinModuleMm, kMaxModuleMm);
        ModuleEdit->setSingleStep(0.1);
        ModuleEdit->setDecimals(2);
        ModuleEdit->setSuffix(QStringLiteral(" mm"));
        ModuleEdit->setValue(TPrintLayout{}.ModuleMm);
        ModuleEdit->setToolTip(QStringLiteral("QR コードの最小の四角（セル）1 個の大きさです。0.5 "
                                              "mm 以上が読み取りやすい大きさです。"));
        PageCheck = new QCheckBox(QStringLiteral("1 ページに 1 つずつ印刷する(&O)"), this);
        PageCheck->setEnabled(linked);
        PageCheck->setToolTip(
            QStringLiteral("分割した QR コードを 1 ページに 1 つずつ印刷します。"));
        form->addRow(QStringLiteral("セルの大きさ(&M):"), ModuleEdit);
        form->addRow(PageCheck);
        auto* buttons = new QDialogButtonBox(this);
        auto* preview =
            buttons->addButton(QStringLiteral("プレビュー(&V)…"), QDialogButtonBox::ActionRole);
        auto* print = buttons->addButton(QStringLiteral("印刷(&P)…"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
        print->setDefault(true);
        connect(preview, &QPushButton::clicked, this, [this] { done(Preview); });
        connect(print, &QPushButton::clicked, this, [this] { done(Print); });
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        form->addRow(buttons);
    }

    TPrintLayout Layout() const { return {ModuleEdit->value(), PageCheck->isChecked()}; }

    QDoubleSpinBox* ModuleEdit;
    QCheckBox* PageCheck;
};

} // namespace

void TMainForm1::BuildOutputControls() {
    // The tab strip above the code has room on its right; the code itself keeps its
    // full width.
    auto* corner = new QWidget(PageControl1);
    auto* row = new QHBoxLayout(corner);
    row->setContentsMargins(0, 0, 2, 2);
    row->setSpacing(2);
    LargeBtn1 = new QPushButton(QStringLiteral("大きく表示(&L)"), corner);
    LargeBtn1->setObjectName(QStringLiteral("LargeBtn1"));
    LargeBtn1->setToolTip(QStringLiteral(
        "QR コードを画面に大きく表示します。携帯電話のカメラで読み取るときに使います。"
        "（QR コードのダブルクリックでも表示できます。）"));
    SaveBtn1 = new QPushButton(QStringLiteral("名前を付けて保存(&S)…"), corner);
    SaveBtn1->setObjectName(QStringLiteral("SaveBtn1"));
    SaveBtn1->setToolTip(
        QStringLiteral("QR コードを PNG・SVG・PDF のファイルに保存します。(Ctrl+S)"));
    PrintBtn1 = new QPushButton(QStringLiteral("印刷(&P)…"), corner);
    PrintBtn1->setObjectName(QStringLiteral("PrintBtn1"));
    PrintBtn1->setToolTip(QStringLiteral("QR コードを大きさを指定して印刷します。(Ctrl+P)"));
    for (QPushButton* button : {LargeBtn1, SaveBtn1, PrintBtn1}) {
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    PageControl1->setCornerWidget(corner, Qt::TopRightCorner);

    connect(LargeBtn1, &QPushButton::clicked, this, &TMainForm1::LargeBtn1Click);
    connect(SaveBtn1, &QPushButton::clicked, this, &TMainForm1::SaveBtn1Click);
    connect(PrintBtn1, &QPushButton::clicked, this, &TMainForm1::PrintBtn1Click);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            &TMainForm1::SaveBtn1Click);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this,
            &TMainForm1::PrintBtn1Click);
    connect(ClipCheck1, &QCheckBox::clicked, this, &TMainForm1::ClipCheck1Click);

    QRCode1->installEventFilter(this);
    QRCode1->setToolTip(QStringLiteral(
        "ダブルクリックで大きく表示します。ドラッグで他のソフトへ画像を貼り付けられます。"));
    // A new picture reaches an open large view; a handler set before is still called.
    qr::TNotifyWatchEvent previous = QRCode1->OnPaintedSymbol;
    QRCode1->OnPaintedSymbol = [this, previous](qr::TQRCode* sender, bool watch) {
        if (previous) previous(sender, watch);
        if (LargeView1) LargeView1->Follow();
    };
    AskSaveName = [this](const QString& folder) { return AskSaveNameByDialog(this, folder); };
}

bool TMainForm1::eventFilter(QObject* watched, QEvent* event) {
    if (RadioArrowKey(watched, event)) return true;
    if (watched != QRCode1) return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        dragArmed_ = false;
        LargeBtn1Click();
        return true;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        dragArmed_ = mouse->button() == Qt::LeftButton && QRCode1->SymbolDisped();
        dragStart_ = mouse->position().toPoint();
        break;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!dragArmed_ || !(mouse->buttons() & Qt::LeftButton)) break;
        if ((mouse->position().toPoint() - dragStart_).manhattanLength() <
            QApplication::startDragDistance())
            break;
        dragArmed_ = false;
        if (QMimeData* data = CodeMimeData(*QRCode1)) {
            const QImage image = qvariant_cast<QImage>(data->imageData());
            if (!MayLeave({image}, QRCode1->Pxmag(), QStringLiteral("ドラッグする画像"),
                          QStringLiteral("ドラッグ"))) {
                delete data;
                return true;
            }
            auto* drag = new QDrag(this);
            drag->setMimeData(data);
            drag->setPixmap(QPixmap::fromImage(
                image.scaledToWidth(std::min(image.width(), 160), Qt::SmoothTransformation)));
            drag->exec(Qt::CopyAction, Qt::CopyAction);
        }
        return true;
    }
    case QEvent::Resize:
        PlaceReadBackLine();
        if (OutdatedLabel1->isVisible()) {
            OutdatedLabel1->setFixedWidth(static_cast<QResizeEvent*>(event)->size().width());
            OutdatedLabel1->adjustSize();
        }
        break;
    case QEvent::Paint:
        // Clear() empties the picture without a paint pass; the view must not go on
        // showing a code the window no longer shows.
        if (LargeView1 && !QRCode1->SymbolDisped() && LargeView1->Count() > 0) LargeView1->Follow();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm1::LargeBtn1Click() {
    if (QRCode1->SymbolDisped() && QRCode1->ShownSymbols().Complete()) {
        // The view draws each symbol on its own, larger: read what it will show.
        std::vector<QImage> symbols;
        for (int s = 1; s <= static_cast<int>(QRCode1->ShownSymbols().Built.size()); ++s)
            symbols.push_back(SymbolImage(QRCode1->ShownSymbols(), s, 3));
        CheckOutput(symbols, 3, QStringLiteral("大きく表示する QR コード"));
    }
    if (!LargeView1) {
        LargeView1 = new TLargeView(*QRCode1, this);
        LargeView1->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        LargeView1->Follow();
    }
    LargeView1->show();
    LargeView1->raise();
    LargeView1->activateWindow();
    LargeView1->setFocus();
}

void TMainForm1::SaveBtn1Click() {
    if (!QRCode1->SymbolDisped()) return;
    const QString path = AskSaveName ? AskSaveName(SaveFolder()) : QString();
    if (path.isEmpty()) return;
    if (!SaveCodeAs(path)) return;
    RememberSaveFolder(QFileInfo(path).absolutePath());
}

bool TMainForm1::SaveCodeAs(const QString& path) {
    const TSaveFormat format = SaveFormatFor(path);
    const QByteArray bytes = CodePicture(*QRCode1, format);
    if (bytes.isEmpty()) {
        platform::ShowMessage(QStringLiteral("QR コードの画像を作成できませんでした。"),
                              kSaveCaption, platform::MsgIcon::Error);
        return false;
    }
    // The file is read back as it will be on disk, an SVG or a PDF drawn at four pixels
    // or more to the module.
    const qr::engine::TSymbolModules& set = QRCode1->ShownSymbols();
    const int across =
        std::min(std::max(1, QRCode1->Column()), static_cast<int>(set.Built.size())) *
        (set.Side + 2 * qr::engine::kQuietZone);
    const int px = std::max(1, QRCode1->Pxmag());
    const int pdfScale = (4 + px - 1) / px;
    const QImage written = format == sfPng   ? QImage::fromData(bytes, "PNG")
                           : format == sfSvg ? SvgPicture(bytes, across * 4)
                                             : PdfPicture(bytes, pdfScale);
    const int writtenPx = format == sfPng ? px : format == sfSvg ? 4 : px * pdfScale;
    if (!MayLeave({written}, writtenPx, QStringLiteral("保存する画像"), QStringLiteral("保存")))
        return false;
    const composer::TFileWriteResult result = composer::WriteFileAtomically(
        QFile::encodeName(path).toStdString(),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
        composer::fwKeepExisting);
    if (!result.Written) {
        platform::ShowMessage(QStringLiteral("ファイルに保存できませんでした。\n") +
                                  QString::fromStdString(result.Error),
                              kSaveCaption, platform::MsgIcon::Error);
        return false;
    }
    return true;
}

void TMainForm1::PrintBtn1Click() {
    if (!QRCode1->SymbolDisped()) return;
    TPrintSetupDlg setup(this, QRCode1->Count() > 1);
    const int choice = setup.exec();
    if (choice != TPrintSetupDlg::Print && choice != TPrintSetupDlg::Preview) return;
    const TPrintLayout layout = setup.Layout();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("QR コード"));
    int px = 4;
    const std::vector<QImage> pages = PrintedPages(*QRCode1, printer.pageLayout(), layout, px, &px);
    if (!MayLeave(pages, px, QStringLiteral("印刷するページ"), QStringLiteral("印刷"))) return;
    if (choice == TPrintSetupDlg::Preview) {
        QPrintPreviewDialog preview(&printer, this);
        connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                [this, layout](QPrinter* target) { PrintCode(*QRCode1, *target, layout); });
        preview.exec();
        return;
    }
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    if (dialog.exec() != QDialog::Accepted) return;
    if (PrintCode(*QRCode1, printer, layout) == 0)
        platform::ShowMessage(QStringLiteral("QR コードを印刷できませんでした。"),
                              QStringLiteral("印刷"), platform::MsgIcon::Error);
}
