// The window as a citizen of the desktop: its desktop entry and icon, the desktop's UI
// font, and captions and control edges that read on a light and a dark theme.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>

#include "app/application.h"
#include "platform/alert_notifier.h"
#include "platform/link_label.h"
#include "platform/radio_group.h"
#include "qr/qr_code.h"
#include "tests/window/window_fixture.h"

namespace window_test {
namespace {

using DesktopCitizen = WindowTest;

TEST_F(DesktopCitizen, DesktopEntryAndIconAreTheProgramsOwn) {
    Start();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromLatin1(kDesktopFileName));
    QFile entry(QStringLiteral(VAROKU_DATA_DIR "/%1.desktop").arg(kDesktopFileName));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly)) << entry.fileName().toStdString();
    EXPECT_TRUE(entry.readAll().contains("\nIcon=" + QByteArray(kDesktopFileName) + "\n"));

    const QImage own = ProgramIcon().pixmap(32, 32).toImage();
    ASSERT_FALSE(own.isNull());
    EXPECT_EQ(form->windowIcon().pixmap(32, 32).toImage(), own);
    const std::unique_ptr<QDialog> about = form->AboutBoxDlg1.Create(form);
    const auto* icon = about->findChild<QLabel*>(QStringLiteral("Icon"));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->pixmap().toImage().scaled(32, 32), own);
}

TEST_F(DesktopCitizen, WindowUsesTheDesktopsProportionalFont) {
    const QFont japanese = DesktopUiFont(QLocale(QLocale::Japanese, QLocale::Japan));
    ASSERT_FALSE(japanese.families().isEmpty());
    const QString first = japanese.families().first();
    EXPECT_TRUE(QFontDatabase::writingSystems(first).contains(QFontDatabase::Japanese))
        << first.toStdString();
    EXPECT_FALSE(QFontDatabase::isFixedPitch(first)) << first.toStdString();
    const QFont english = DesktopUiFont(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(english.families().first(),
              QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    EXPECT_TRUE(english.families().contains(first));

    Start();
    for (const QWidget* widget :
         {static_cast<QWidget*>(form), static_cast<QWidget*>(form->findChild<QLabel*>())}) {
        EXPECT_EQ(widget->font().families(), QApplication::font().families());
        EXPECT_FALSE(QFontInfo(widget->font()).fixedPitch());
    }
    // The captions under the codes keep the font they were designed with.
    EXPECT_EQ(form->QRCode1->ComFont().Name, QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form->QRCode1->ComFont().Height, -12);
}

TEST_F(DesktopCitizen, CaptionsReadOnLightAndDarkThemesAndTheCodeStaysDarkOnLight) {
    const QPalette original = QApplication::palette();
    QPalette dark = original;
    for (auto [role, colour] : {std::pair{QPalette::Window, "#31363b"},
                                {QPalette::WindowText, "#eff0f1"},
                                {QPalette::Base, "#232629"},
                                {QPalette::Text, "#eff0f1"},
                                {QPalette::Button, "#31363b"},
                                {QPalette::ButtonText, "#eff0f1"},
                                {QPalette::ToolTipBase, "#31363b"},
                                {QPalette::ToolTipText, "#eff0f1"},
                                {QPalette::Link, "#1d99f3"}})
        dark.setColor(role, QColor(QLatin1String(colour)));
    for (const QPalette& theme : {original, dark}) {
        SCOPED_TRACE(theme.color(QPalette::Window).name().toStdString());
        QApplication::setPalette(theme);
        Start();
        std::vector<const QLabel*> captions{form->ContactLink1};
        for (const QLabel* note : form->findChildren<platform::TNoteLabel*>())
            captions.push_back(note);
        ASSERT_EQ(captions.size(), 2u);
        for (const QLabel* caption : captions) {
            const QColor text = caption->palette().color(QPalette::WindowText);
            const QColor behind = caption->parentWidget()->palette().color(QPalette::Window);
            EXPECT_GE(platform::ContrastRatio(text, behind), 4.5)
                << caption->text().toStdString() << " " << text.name().toStdString() << " on "
                << behind.name().toStdString();
        }

        // The rings of radios and check boxes and the edges of fields and buttons stand
        // 3:1 off the window: the controls are found by them.
        const auto edgeContrast = [](QWidget* control, int width) {
            const QColor window = control->palette().color(QPalette::Window);
            QImage seen(width, control->height(), QImage::Format_RGB32);
            seen.fill(window);
            QPainter painter(&seen);
            painter.drawPixmap(0, 0, control->grab(QRect(0, 0, width, control->height())));
            painter.end();
            double most = 1;
            for (int y = 0; y < seen.height(); ++y)
                for (int x = 0; x < seen.width(); ++x)
                    most = std::max(most, platform::ContrastRatio(seen.pixelColor(x, y), window));
            return most;
        };
        const std::pair<QWidget*, int> edges[] = {
            {form->CaraiaGroup1->Button(1),
             form->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth)},
            {form->MemoCheck1, form->style()->pixelMetric(QStyle::PM_IndicatorWidth)},
            {form->SubjectEdit1, 2},
            {form->MailComb1, 2},
            {form->mContEdit, 2},
            {form->MemClear1, 2}};
        // So does the editor's instruction, shown as placeholder text.
        const QPalette field = form->Memo1->palette();
        QColor placeholder = field.color(QPalette::PlaceholderText);
        const double alpha = placeholder.alphaF();
        const QColor base = field.color(QPalette::Base);
        placeholder = QColor::fromRgbF(
            static_cast<float>(placeholder.redF() * alpha + base.redF() * (1 - alpha)),
            static_cast<float>(placeholder.greenF() * alpha + base.greenF() * (1 - alpha)),
            static_cast<float>(placeholder.blueF() * alpha + base.blueF() * (1 - alpha)));
        EXPECT_GE(platform::ContrastRatio(placeholder, base), 4.5)
            << placeholder.name().toStdString() << " on " << base.name().toStdString();

        form->PageControl1->setCurrentIndex(2); // the settings' controls
        QCoreApplication::processEvents();
        for (const auto& [control, width] : edges)
            EXPECT_GE(edgeContrast(control, width), 3.0) << control->metaObject()->className();
        form->PageControl1->setCurrentIndex(0);

        Type(QStringLiteral("了解しました"));
        Create();
        EXPECT_EQ(Symbols().size(), 1u);
        // The quiet zone around the code is light whatever the theme.
        const QImage picture = form->QRCode1->grab().toImage();
        EXPECT_GT(qGray(picture.pixel(2, 2)), 200);
        form->Alert1->Close();
    }
    QApplication::setPalette(original);
}

} // namespace
} // namespace window_test
