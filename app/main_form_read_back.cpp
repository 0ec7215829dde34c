// The window reads its own code back after 作成, as a phone's reader reads it, and says
// what a phone will show; a code that does not read back as the payload is named as not
// checked, with the first difference.
#include <QImage>
#include <QLabel>
#include <algorithm>

#include "app/code_pictures.h"
#include "app/main_form.h"
#include "composer/read_back.h"
#include "composer/shift_jis_text.h"
#include "platform/message_box.h"
#include "qr/engine/raster.h"
#include "qr/qr_code.h"

namespace {

QString Utf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString ProblemText(const composer::TReadCheck& check) {
    const composer::TPresentedDifference& d = check.Difference;
    switch (check.Problem) {
    case composer::TReadProblem::Missing:
        return QStringLiteral("%1 番目の QR コードを読み取れませんでした。").arg(check.Symbol);
    case composer::TReadProblem::Misplaced:
        return QStringLiteral("%1 番目の位置の QR コードは、%2 番目として読み取られます。")
            .arg(check.Symbol)
            .arg(check.Found);
    case composer::TReadProblem::BytesDiffer:
    case composer::TReadProblem::TextDiffers:
        return QStringLiteral("「%1」の %2 文字目から違います。\r\n入力：「%3」\r\n"
                              "携帯の表示：「%4」")
            .arg(Utf8(d.Label))
            .arg(d.Position)
            .arg(Utf8(d.Typed), Utf8(d.Shown));
    case composer::TReadProblem::None:
        break;
    }
    return {};
}

} // namespace

bool TMainForm1::CheckShownCode(const std::string& payload, bool utf8) {
    readPayload_ = payload;
    readUtf8_ = utf8;
    readState_ = TReadState::None;
    return CheckShownPicture(QRCode1->BitmapImage());
}

composer::TDrawnSymbols TMainForm1::DrawnPayload() const {
    composer::TDrawnSymbols drawn;
    drawn.Bytes = readPayload_;
    drawn.Text =
        (readUtf8_ ? Utf8(readPayload_) : composer::FromShiftJis(readPayload_)).toStdString();
    drawn.Linked =
        QRCode1->Mode() == qr::engine::qrConnect && QRCode1->ShownSymbols().Built.size() > 1;
    return drawn;
}

bool TMainForm1::CheckShownPicture(const QImage& picture) {
    const qr::engine::TSymbolModules& set = QRCode1->ShownSymbols();
    const int count = static_cast<int>(set.Built.size());
    if (count == 0 || !set.Complete()) return false;
    composer::TDrawnSymbols drawn = DrawnPayload();
    const int column = std::max(1, QRCode1->Column());

    // The pixels shown, where the whole unturned block is on the picture; else (a code
    // larger than the panel, turned or mirrored) the modules it was drawn from.
    QImage grey = picture;
    const bool shownWhole = !grey.isNull() && QRCode1->Angle() == 0 && !QRCode1->Reverse() &&
                            QRCode1->SymbolLeft() + QRCode1->SymbolWidthA() <= grey.width() &&
                            QRCode1->SymbolTop() + QRCode1->SymbolHeightA() <= grey.height();
    if (shownWhole) {
        grey = grey.convertToFormat(QImage::Format_Grayscale8);
        const int px = QRCode1->Pxmag();
        for (int k = 0; k < count; ++k)
            drawn.Centres.push_back(
                {QRCode1->SymbolLeft() + (k % column) * QRCode1->SymbolWidthS() +
                     QRCode1->SymbolSpaceLeft() + QRCode1->SymbolWidth() / 2,
                 QRCode1->SymbolTop() + (k / column) * QRCode1->SymbolHeightS() +
                     QRCode1->SymbolSpaceUp() + QRCode1->SymbolHeight() / 2});
        drawn.CellWidth = QRCode1->SymbolWidth();
        drawn.CellHeight = QRCode1->SymbolHeight();
        drawn.Enlarge = (3 + px - 1) / px;
    } else {
        grey = GridImage(qr::engine::LayOutSymbols(set, {column, qr::engine::kQuietZone, 0, false}),
                         1);
        const int cell = set.Side + 2 * qr::engine::kQuietZone;
        for (int k = 0; k < count; ++k)
            drawn.Centres.push_back(
                {(k % column) * cell + cell / 2, (k / column) * cell + cell / 2});
        drawn.CellWidth = drawn.CellHeight = cell;
        drawn.Enlarge = 3;
    }
    const composer::TReadCheck check =
        composer::ReadBack(grey.constBits(), grey.width(), grey.height(),
                           static_cast<int>(grey.bytesPerLine()), drawn);
    readState_ = check.Ok() ? TReadState::Checked : TReadState::Unchecked;
    if (check.Ok()) {
        const QString shown = Utf8(composer::PresentedLine(composer::PresentedFields(check.Text)));
        ShowReadBackLine(QStringLiteral("携帯の表示：") + shown, QString());
        SetStatusText(0, QStringLiteral(" 読み取り確認済み"));
    } else {
        ShowUnchecked(QStringLiteral("作成した QR コード"), check);
    }
    return check.Ok();
}

void TMainForm1::ShowReadBackLine(const QString& line, const QString& tip) {
    readLine_ = line;
    ReadBackLabel1->setToolTip(tip.isEmpty() ? line : tip);
    PlaceReadBackLine();
}

void TMainForm1::HideReadBackLine() {
    readLine_.clear();
    ReadBackLabel1->hide();
}

void TMainForm1::PlaceReadBackLine() {
    if (readLine_.isEmpty()) return;
    // Under the code, never over it: as many lines as the room below the symbols and
    // their captions takes, three at most, the rest elided (the whole is in the tip).
    const QFontMetrics metrics = ReadBackLabel1->fontMetrics();
    const int margin = ReadBackLabel1->margin();
    const int captions =
        QRCode1->CommentDown().empty() ? 0 : QFontMetrics(QRCode1->ComFont().ToQFont()).height();
    const int bottom = QRCode1->y() + QRCode1->SymbolTop() + QRCode1->SymbolHeightA() + captions;
    const int lines =
        std::min(3, (QRPanel->height() - bottom - 2 * margin) / metrics.lineSpacing());
    if (lines < 1) {
        ReadBackLabel1->hide();
        return;
    }
    const int width = QRPanel->width();
    const int room = lines * (width - 2 * margin - 4 * metrics.averageCharWidth());
    for (int fit = lines; fit >= 1; --fit) {
        ReadBackLabel1->setText(
            metrics.elidedText(readLine_, Qt::ElideRight, std::max(1, room * fit / lines)));
        ReadBackLabel1->setFixedWidth(width);
        ReadBackLabel1->adjustSize();
        if (ReadBackLabel1->height() <= QRPanel->height() - bottom) break;
    }
    ReadBackLabel1->move(0, QRPanel->height() - ReadBackLabel1->height());
    ReadBackLabel1->raise();
    ReadBackLabel1->show();
}

void TMainForm1::ShowUnchecked(const QString& what, const composer::TReadCheck& check) {
    readState_ = TReadState::Unchecked;
    ShowReadBackLine(QStringLiteral("読み取り未確認：この QR コードは入力どおりに読み取れません。"),
                     ProblemText(check));
    SetStatusText(0, QStringLiteral(" 読み取り未確認"));
    platform::ShowMessage(what +
                              QStringLiteral("を読み取って確かめたところ、"
                                             "入力どおりに読み取れませんでした。\r\n") +
                              ProblemText(check),
                          QStringLiteral("読み取りエラー"), platform::MsgIcon::Warning);
}

bool TMainForm1::CheckOutput(const std::vector<QImage>& pictures, int modulePixels,
                             const QString& what) {
    // A code the window did not make (none was read after 作成) has no payload to hold
    // the picture against.
    if (readState_ == TReadState::None || readPayload_.empty()) return true;
    std::vector<QImage> grey;
    std::vector<composer::TGreyPicture> views;
    grey.reserve(pictures.size());
    for (const QImage& picture : pictures) {
        grey.push_back(picture.convertToFormat(QImage::Format_Grayscale8));
        const QImage& g = grey.back();
        views.push_back({g.constBits(), g.width(), g.height(), static_cast<int>(g.bytesPerLine())});
    }
    composer::TDrawnSymbols drawn = DrawnPayload();
    drawn.Enlarge = (3 + std::max(1, modulePixels) - 1) / std::max(1, modulePixels);
    drawn.Pad = 4;
    const composer::TReadCheck check = composer::ReadPictures(
        views, static_cast<int>(QRCode1->ShownSymbols().Built.size()), drawn);
    if (check.Ok()) return true;
    ShowUnchecked(what, check);
    return false;
}

bool TMainForm1::MayLeave(const std::vector<QImage>& pictures, int modulePixels,
                          const QString& what, const QString& action) {
    return CheckOutput(pictures, modulePixels, what) || ConfirmUnchecked(action);
}

bool TMainForm1::ConfirmUnchecked(const QString& action) {
    if (readState_ != TReadState::Unchecked) return true;
    return platform::ShowMessage(
               QStringLiteral("この QR コードは、携帯で入力どおりに読み取れることを確認できて"
                              "いません。\r\nそれでも%1しますか？")
                   .arg(action),
               QStringLiteral("読み取り未確認"), platform::MsgIcon::Warning,
               platform::MsgButtons::YesNo) == platform::MsgResult::Yes;
}
