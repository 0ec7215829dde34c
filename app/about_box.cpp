#include "app/about_box.h"

#include "app/application.h"

#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kClientWidth = 360;
// The client area is the button plus room for the icon, four text lines and margins.
constexpr int kClientHeight = kButtonHeight + 166;
constexpr int kNotesHeight = 50;

QLabel* AddLine(QDialog* dialog, const char* name, const QString& text, int x, int y, int height) {
    auto* label = new QLabel(text, dialog);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(x, y, kClientWidth - x - 12, height);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

std::unique_ptr<QDialog> TAboutBoxDlg::Create(QWidget* owner) const {
    auto dialog = std::make_unique<QDialog>(owner);
    dialog->setWindowTitle(Title);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    if (UseOSStdFonts) dialog->setFont(QApplication::font("QMessageBox"));
    dialog->setFixedSize(kClientWidth, kClientHeight);

    auto* icon = new QLabel(dialog.get());
    icon->setObjectName(QStringLiteral("Icon"));
    QIcon appIcon =
        QApplication::windowIcon().isNull() ? ProgramIcon() : QApplication::windowIcon();
    if (appIcon.isNull()) appIcon = dialog->style()->standardIcon(QStyle::SP_MessageBoxInformation);
    // Drawn at the screen's scale, so that it stays sharp at 200 %.
    icon->setPixmap(appIcon.pixmap(QSize(32, 32), dialog->devicePixelRatioF()));
    icon->setGeometry(14, 14, 32, 32);

    const int x = 62;
    AddLine(dialog.get(), "ProgramName", ProgramName, x, 12, 20)
        ->setStyleSheet("font-weight: bold");
    AddLine(dialog.get(), "Version", Version, x, 36, 18);
    AddLine(dialog.get(), "Copyright", Copyright, x, 58, 18);
    QLabel* notes = AddLine(dialog.get(), "Notes", Notes, x, 84, kNotesHeight);
    notes->setWordWrap(true);
    notes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (!SettingsPath.isEmpty()) {
        const QString text = QStringLiteral("設定: ") + SettingsPath;
        QLabel* where = AddLine(dialog.get(), "Settings", text, x, 84 + kNotesHeight + 2, 16);
        where->setText(where->fontMetrics().elidedText(text, Qt::ElideMiddle, where->width()));
        where->setToolTip(SettingsPath);
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), dialog.get());
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    ok->setGeometry((kClientWidth - kButtonWidth) / 2, kClientHeight - kButtonHeight - 12,
                    kButtonWidth, kButtonHeight);
    QObject::connect(ok, &QPushButton::clicked, dialog.get(), &QDialog::accept);

    const QScreen* screen =
        owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        dialog->move(area.x() + (area.width() - kClientWidth) / 2,
                     area.y() + (area.height() - kClientHeight) / 2);
    }
    return dialog;
}

void TAboutBoxDlg::Execute(QWidget* owner) const {
    std::unique_ptr<QDialog> dialog = Create(owner);
    dialog->exec();
}
