// The ways out of the window: saved files, printed pages, the drag data and the large
// view, each read back with zxing-cpp, and the settings they keep.
#include <QBuffer>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <memory>

#include "app/code_pictures.h"
#include "app/large_view.h"
#include "composer/read_back.h"
#include "composer/shift_jis_text.h"
#include "qr/qr_code.h"
#include "tests/support/qt_picture_reader.h"
#include "tests/window/window_fixture.h"

namespace window_test {
namespace {

constexpr int kPageDpi = 200;

// PDF pages rendered on white, `dpi` pixels to the inch (96 for pictures laid out at
// screen resolution, as the saved PDF is).
std::vector<QImage> PdfPages(const QByteArray& bytes, double dpi) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QPdfDocument document;
    document.load(&buffer);
    std::vector<QImage> pages;
    if (document.status() != QPdfDocument::Status::Ready) return pages;
    for (int i = 0; i < document.pageCount(); ++i) {
        const QSizeF points = document.pagePointSize(i);
        const QSize size(qRound(points.width() * dpi / 72), qRound(points.height() * dpi / 72));
        QImage page(size, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.drawImage(0, 0, document.render(i, size));
        painter.end();
        pages.push_back(page);
    }
    return pages;
}

// The text of each PDF page, its runs of white space made single spaces.
QStringList PdfTexts(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QPdfDocument document;
    document.load(&buffer);
    QStringList texts;
    for (int i = 0; i < document.pageCount(); ++i)
        texts << document.getAllText(i).text().simplified();
    return texts;
}

// The symbols of a picture in sequence order, joined; empty unless they form one set.
std::string JoinedFrom(std::vector<test_support::TZxingResult> symbols, int count) {
    if (static_cast<int>(symbols.size()) != count) return {};
    std::sort(symbols.begin(), symbols.end(),
              [](const auto& a, const auto& b) { return a.SequenceIndex < b.SequenceIndex; });
    std::string joined;
    for (int i = 0; i < count; ++i) {
        const auto& s = symbols[static_cast<size_t>(i)];
        if (count > 1 && (s.SequenceIndex != i || s.SequenceSize != count)) return {};
        joined += s.Bytes;
    }
    return joined;
}

// Width in pixels of the first row that holds a dark pixel, leftmost to rightmost.
int TopRowExtent(const QImage& page) {
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        int first = -1, last = -1;
        for (int x = 0; x < grey.width(); ++x)
            if (line[x] < 128) {
                if (first < 0) first = x;
                last = x;
            }
        if (first >= 0) return last - first + 1;
    }
    return 0;
}

class Output : public WindowTest {
protected:
    // A mail whose body takes two linked symbols; returns the joined payload.
    std::string CreateLinked() {
        QString body;
        for (int i = 0; i < 20; ++i)
            body += QStringLiteral("あいうえおかきくけ%1").arg(i % 10);
        Type(body);
        Create();
        EXPECT_EQ(form->QRCode1->Count(), 2);
        return Joined(2);
    }
};

TEST_F(Output, SavedFilesHoldTheShownSymbolsAndTheFolderIsRemembered) {
    Start();
    const std::string expected = CreateLinked();
    ASSERT_FALSE(expected.empty());
    QDir(FilePath(QString())).mkdir(QStringLiteral("out"));
    const struct {
        const char* name;
        double scale; // SVG and PDF are read at their own size times this
    } rows[] = {{"code.png", 1}, {"code.svg", 1}, {"code.pdf", 1}, {"big.svg", 3}};
    for (const auto& row : rows) {
        const QString path = FilePath(QStringLiteral("out/") + QLatin1String(row.name));
        form->AskSaveName = [&](const QString&) { return path; };
        form->SaveBtn1->click();
        const QByteArray bytes = QByteArray::fromStdString(ReadBytes(path));
        QImage picture;
        if (path.endsWith(QLatin1String(".png"))) picture = QImage::fromData(bytes, "PNG");
        if (path.endsWith(QLatin1String(".svg")))
            picture = test_support::RenderSvg(bytes, row.scale);
        if (path.endsWith(QLatin1String(".pdf"))) {
            const std::vector<QImage> pages = PdfPages(bytes, 96 * row.scale);
            ASSERT_EQ(pages.size(), 1u);
            picture = pages[0];
        }
        ASSERT_FALSE(picture.isNull()) << row.name;
        if (path.endsWith(QLatin1String(".png"))) {
            // The block of symbols at the window's size: two cells side by side.
            EXPECT_EQ(picture.width(), 2 * form->QRCode1->SymbolWidthS()) << row.name;
        }
        EXPECT_EQ(JoinedFrom(test_support::ReadPictureAll(picture), 2), expected) << row.name;
    }
    EXPECT_TRUE(Boxes().empty());

    // The next dialog starts in the folder of the last save, also after a restart.
    CloseWindow();
    Start();
    CreateLinked();
    QString asked;
    form->AskSaveName = [&](const QString& folder) {
        asked = folder;
        return QString();
    };
    form->SaveBtn1->click();
    EXPECT_EQ(asked, FilePath(QStringLiteral("out")));
    EXPECT_NE(ReadBytes(SettingsPath()).find("SAVEDIR="), std::string::npos);
}

TEST_F(Output, AFailedSaveIsReportedAndKeepsTheFolder) {
    Start();
    CreateLinked();
    const QString path = FilePath(QStringLiteral("missing/code.png"));
    form->AskSaveName = [&](const QString&) { return path; };
    form->SaveBtn1->click();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].Icon, platform::MsgIcon::Error);
    EXPECT_TRUE(form->SaveFolder().isEmpty());

    // Nothing shown: nothing asked, nothing written.
    form->QRCode1->Clear();
    bool askedAgain = false;
    form->AskSaveName = [&](const QString&) {
        askedAgain = true;
        return FilePath(QStringLiteral("empty.png"));
    };
    form->SaveBtn1->click();
    EXPECT_FALSE(askedAgain);
}

// A code that does not read back as its payload leaves the window only by the user's
// word: the save and the copy ask, and "いいえ" keeps it in.
TEST_F(Output, AnUncheckedCodeLeavesOnlyWhenTheUserSaysSo) {
    Start();
    CreateLinked();
    EXPECT_EQ(form->ReadState(), TMainForm1::TReadState::Checked);
    form->CheckShownCode("MATMSG:TO:;SUB:;BODY:other;;", false);
    ASSERT_EQ(form->ReadState(), TMainForm1::TReadState::Unchecked);
    const QString path = FilePath(QStringLiteral("code.png"));
    for (const auto answer : {platform::MsgResult::No, platform::MsgResult::Yes}) {
        ForgetBoxes();
        Answer(platform::MsgResult::Ok); // the warning
        Answer(answer);
        EXPECT_EQ(form->SaveCodeAs(path), answer == platform::MsgResult::Yes);
        ASSERT_EQ(Boxes().size(), 2u);
        EXPECT_TRUE(Boxes()[0].Text.startsWith(QStringLiteral("保存する画像を読み取って")))
            << Boxes()[0].Text.toStdString();
        EXPECT_EQ(Boxes()[1].Buttons, platform::MsgButtons::YesNo);
        EXPECT_EQ(ReadBytes(path).empty(), answer == platform::MsgResult::No);
    }
    ForgetBoxes();
    Answer(platform::MsgResult::No);
    form->ClipBtn1->click();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].Text.indexOf(QStringLiteral("コピーしますか")), -1);
    EXPECT_NE(form->StatusText(0), QStringLiteral("QR コードをクリップボードへコピーしました。"));
}

TEST_F(Output, PrintedPagesKeepTheModuleSizeAndTheOrder) {
    Start();
    const std::string expected = CreateLinked();
    const int modules = form->QRCode1->Engine().Modules();
    const struct {
        TPrintLayout layout;
        int pages;
    } rows[] = {{{0.5, false}, 1}, {{0.5, true}, 2}, {{0.8, true}, 2}};
    for (const auto& row : rows) {
        const QString path = FilePath(QStringLiteral("print.pdf"));
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            printer.setPageSize(QPageSize(QPageSize::A4));
            EXPECT_EQ(PrintCode(*form->QRCode1, printer, row.layout), row.pages);
            // The pages the window reads back before it prints are these pages.
            std::vector<test_support::TZxingResult> read;
            const auto drawn = PrintedPages(*form->QRCode1, printer.pageLayout(), row.layout);
            EXPECT_EQ(static_cast<int>(drawn.size()), row.pages);
            for (const QImage& page : drawn) {
                const auto found = test_support::ReadPictureAll(page);
                read.insert(read.end(), found.begin(), found.end());
            }
            EXPECT_EQ(JoinedFrom(read, 2), expected);
        }
        const std::vector<QImage> pages =
            PdfPages(QByteArray::fromStdString(ReadBytes(path)), kPageDpi);
        ASSERT_EQ(static_cast<int>(pages.size()), row.pages);
        // Each page carries its own symbols' captions and nothing else, not even as
        // text hidden under a clip.
        const QStringList texts = PdfTexts(QByteArray::fromStdString(ReadBytes(path)));
        ASSERT_EQ(static_cast<int>(texts.size()), row.pages);
        QStringList expectedTexts;
        if (row.layout.SymbolPerPage) {
            expectedTexts = {QStringLiteral("No. 1"), QStringLiteral("No. 2")};
        } else {
            expectedTexts = {QStringLiteral("No. 1 No. 2")};
        }
        EXPECT_EQ(texts, expectedTexts);
        std::vector<test_support::TZxingResult> symbols;
        for (const QImage& page : pages) {
            const auto found = test_support::ReadPictureAll(page);
            symbols.insert(symbols.end(), found.begin(), found.end());
            if (row.layout.SymbolPerPage) {
                // One symbol on the page: its top row is the finder patterns' edge.
                const double mm = TopRowExtent(page) * 25.4 / kPageDpi;
                EXPECT_NEAR(mm, modules * row.layout.ModuleMm, 0.3);
                ASSERT_EQ(found.size(), 1u);
                EXPECT_EQ(found[0].SequenceIndex, &page - pages.data());
            }
        }
        EXPECT_EQ(JoinedFrom(symbols, 2), expected);
    }

    // Small modules on a whole page: the picture stays near eight megapixels and is read
    // back enlarged, as the window reads it.
    int px = 0;
    const auto small = PrintedPages(
        *form->QRCode1, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()),
        {kMinModuleMm, true}, 4, &px);
    ASSERT_EQ(small.size(), 2u);
    EXPECT_LE(small[0].width() * small[0].height(), 8'100'000);
    composer::TDrawnSymbols drawn;
    drawn.Bytes = expected;
    drawn.Linked = true;
    drawn.Enlarge = (3 + px - 1) / px;
    drawn.Pad = 4;
    std::vector<composer::TGreyPicture> views;
    for (const QImage& page : small)
        views.push_back(
            {page.constBits(), page.width(), page.height(), static_cast<int>(page.bytesPerLine())});
    const composer::TReadCheck check = composer::ReadPictures(views, 2, drawn);
    EXPECT_TRUE(check.Ok()) << composer::ReadCheckMessage(check);
}

TEST_F(Output, DraggedDataOffersPngAndSvg) {
    Start();
    const std::string expected = CreateLinked();
    std::unique_ptr<QMimeData> data(CodeMimeData(*form->QRCode1));
    ASSERT_NE(data, nullptr);
    const QImage png = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
    const QImage svg = test_support::RenderSvg(data->data(QStringLiteral("image/svg+xml")));
    EXPECT_EQ(JoinedFrom(test_support::ReadPictureAll(png), 2), expected);
    EXPECT_EQ(JoinedFrom(test_support::ReadPictureAll(svg), 2), expected);
    form->QRCode1->Clear();
    EXPECT_EQ(CodeMimeData(*form->QRCode1), nullptr);
}

TEST_F(Output, LargeViewShowsEachSymbolInOrderAndFollowsTheCode) {
    Start();
    CreateLinked();
    form->LargeBtn1->click();
    TLargeView* view = form->LargeView1;
    ASSERT_NE(view, nullptr);
    view->resize(900, 700);
    auto press = [&](int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    };
    auto shown = [&] { return test_support::ReadPictureAll(view->grab().toImage()); };
    std::string joined;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(view->NumberLabel->text(), QStringLiteral("%1 / 2").arg(i + 1));
        const auto found = shown();
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].SequenceIndex, i);
        joined += found[0].Bytes;
        press(Qt::Key_Space);
    }
    EXPECT_EQ(joined, Joined(2));
    // Whole device pixels per module, as large as the window allows.
    const int side = (form->QRCode1->Engine().Modules() + 8) * view->ModulePixels();
    EXPECT_GE(view->ModulePixels(), 5);
    EXPECT_LE(side, 700);
    press(Qt::Key_Left);
    EXPECT_EQ(view->Current(), 2); // round from the first to the last

    // A new code replaces the old one and starts at its first symbol.
    Type(QStringLiteral("短い文章です"));
    Create();
    EXPECT_EQ(view->Count(), 1);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].Bytes, Joined(1));
    form->QRCode1->Clear();
    EXPECT_TRUE(shown().empty()); // the view drops the symbol when it next paints
    EXPECT_EQ(view->Count(), 0);

    press(Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form->LargeView1, nullptr);
}

TEST_F(Output, ClipboardSwitchReadsAndWritesTheSettingsKey) {
    WriteBytes(SettingsPath(), "[CONFIG]\r\nCLIPBOAD=1\r\n");
    Start();
    EXPECT_TRUE(form->ClipCheck1->isChecked());
    form->ClipCheck1->click();
    EXPECT_NE(ReadBytes(SettingsPath()).find("CLIPBOAD=0"), std::string::npos);
    CloseWindow();
    Start();
    EXPECT_FALSE(form->ClipCheck1->isChecked());
    // The key no longer hides the copy button: a shown code can be copied.
    EXPECT_FALSE(form->ClipBtn1->isEnabled());
    Type(QStringLiteral("コピー"));
    Create();
    EXPECT_TRUE(form->ClipBtn1->isEnabled());
}

} // namespace
} // namespace window_test
