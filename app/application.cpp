#include "app/application.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <QTranslator>
#include <algorithm>
#include <exception>
#include <map>
#include <tuple>

#include <fontconfig/fontconfig.h>

#include "platform/font_mapping.h"
#include "platform/link_label.h"
#include "platform/message_box.h"

#ifndef VAROKU_APP_ID
#define VAROKU_APP_ID "jp.example.varoku.Varoku"
#endif

const char* const kDesktopFileName = VAROKU_APP_ID;

namespace {

// The first proportional family fontconfig offers for Japanese sans-serif text; empty
// when none is installed. IPAGothic and the like are "dual" width (every Latin letter
// as wide as the next) and are passed over.
QString JapaneseProportionalFamily() {
    if (!FcInit()) return {};
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=ja"));
    if (!pattern) return {};
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    QString family;
    for (int i = 0; fonts && i < fonts->nfont && family.isEmpty(); ++i) {
        FcPattern* font = fonts->fonts[i];
        int spacing = FC_PROPORTIONAL;
        FcPatternGetInteger(font, FC_SPACING, 0, &spacing);
        FcLangSet* languages = nullptr;
        FcChar8* name = nullptr;
        if (spacing == FC_PROPORTIONAL &&
            FcPatternGetLangSet(font, FC_LANG, 0, &languages) == FcResultMatch &&
            FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual &&
            FcPatternGetString(font, FC_FAMILY, 0, &name) == FcResultMatch)
            family = QString::fromUtf8(reinterpret_cast<const char*>(name));
    }
    if (fonts) FcFontSetDestroy(fonts);
    FcPatternDestroy(pattern);
    return family;
}

// Fusion, the style Qt falls back on where the desktop names none, draws the rings of
// radio buttons and check boxes and the edges of fields and buttons a shade darker than
// the window, which on a dark window leaves them all but invisible (1.3:1). It is handed
// a window colour from which its own shading gives the edge the palette's outline made
// to stand 3:1 off the window, lightened on a dark one and darkened on a light one.
class ReadableEdgesStyle : public QProxyStyle {
public:
    ReadableEdgesStyle() : QProxyStyle(QStringLiteral("Fusion")) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        // How much darker than the window Fusion draws each edge, and the contrast asked
        // of it: a little over 3:1 for Fusion's rounding as it shades, more for the
        // radio's ring, a thin circle that no pixel covers whole.
        struct Edge {
            double darker, contrast;
        };
        const Edge edge = element == PE_IndicatorRadioButton ? Edge{1.5, 4.0}
                          : element == PE_IndicatorCheckBox  ? Edge{1.4 / 1.1, 3.3}
                          : element == PE_Frame              ? Edge{1.4 / 1.08, 3.3}
                          : element == PE_FrameLineEdit || element == PE_PanelButtonCommand
                              ? Edge{1.4, 3.3}
                              : Edge{0, 0};
        const auto draw = [&](const QStyleOption* edged) {
            QProxyStyle::drawPrimitive(element, edged, painter, widget);
        };
        if (edge.darker > 0 && !edging_ && (option->state & State_Enabled) &&
            (Draw<QStyleOptionButton>(option, edge.darker, edge.contrast, draw) ||
             Draw<QStyleOptionFrame>(option, edge.darker, edge.contrast, draw)))
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    // The spin box draws its edge itself; the field inside it is then edged already.
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        if (control == CC_SpinBox && !edging_ && (option->state & State_Enabled)) {
            edging_ = true;
            const bool drawn =
                Draw<QStyleOptionSpinBox>(option, 1.4, 3.3, [&](const QStyleOption* edged) {
                    QProxyStyle::drawComplexControl(
                        control, static_cast<const QStyleOptionComplex*>(edged), painter, widget);
                });
            edging_ = false;
            if (drawn) return;
        }
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }

private:
    mutable bool edging_ = false;

    template <typename Option, typename Paint>
    bool Draw(const QStyleOption* option, double darker, double contrast,
              const Paint& paint) const {
        const auto* typed = qstyleoption_cast<const Option*>(option);
        if (!typed) return false;
        Option edged(*typed);
        edged.palette = Edged(typed->palette, darker, contrast);
        paint(&edged);
        return true;
    }

    // One edged palette for each palette and edge, kept: Fusion caches what it draws
    // under the palette's key, which a palette made anew at each paint would never hit.
    const QPalette& Edged(const QPalette& palette, double darker, double contrast) const {
        const auto key = std::make_tuple(palette.cacheKey(), darker, contrast);
        const auto found = edged_.find(key);
        if (found != edged_.end()) return found->second;
        if (edged_.size() > 64) edged_.clear();
        const QColor window = palette.color(QPalette::Window);
        const QColor edge = platform::ReadableOn(window.darker(140), window, contrast).toHsv();
        QPalette edged = palette;
        edged.setColor(QPalette::Window, QColor::fromHsvF(edge.hsvHueF(), edge.hsvSaturationF(),
                                                          std::min(1.0, edge.valueF() * darker)));
        return edged_.emplace(key, edged).first->second;
    }

    mutable std::map<std::tuple<qint64, double, double>, QPalette> edged_;
};

// The colour seen where `colour`, which may be see-through, lies over `base`.
QColor Over(const QColor& colour, const QColor& base) {
    const double a = colour.alphaF();
    return QColor::fromRgbF(static_cast<float>(colour.redF() * a + base.redF() * (1 - a)),
                            static_cast<float>(colour.greenF() * a + base.greenF() * (1 - a)),
                            static_cast<float>(colour.blueF() * a + base.blueF() * (1 - a)));
}

// The placeholder text carries the editor's instruction, so it reads 4.5:1 on the field
// whatever palette the desktop or the program sets: a theme that names no placeholder
// colour leaves Qt's half-transparent black, which vanishes on a dark field. It is then
// the field's text halfway to the field, made readable.
class ReadablePlaceholder : public QObject {
public:
    using QObject::QObject;

    static void Mend() {
        QPalette palette = QApplication::palette();
        bool changed = false;
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            const QColor base = palette.color(group, QPalette::Base);
            if (platform::ContrastRatio(Over(palette.color(group, QPalette::PlaceholderText), base),
                                        base) >= 4.5)
                continue;
            QColor halfway = palette.color(group, QPalette::Text);
            halfway.setAlphaF(0.5f);
            palette.setColor(group, QPalette::PlaceholderText,
                             platform::ReadableOn(Over(halfway, base), base, 4.5));
            changed = true;
        }
        if (changed) QApplication::setPalette(palette);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ApplicationPaletteChange) Mend();
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QIcon ProgramIcon() {
    // The picture lives in a static library, which the linker would drop unasked.
    Q_INIT_RESOURCE(varoku_icons);
    const QString name = QString::fromLatin1(kDesktopFileName);
    if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    QIcon icon;
    QSvgRenderer picture(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!picture.isValid()) return icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        picture.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QFont DesktopUiFont(const QLocale& locale) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QStringList families = font.families();
    if (families.isEmpty()) families = {font.family()};
    const QString japanese = JapaneseProportionalFamily();
    if (!japanese.isEmpty()) {
        families.removeAll(japanese);
        if (locale.language() == QLocale::Japanese)
            families.prepend(japanese);
        else
            families.append(japanese);
    }
    font.setFamilies(families);
    font.setFixedPitch(false);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Varoku"));
    // Desktops find the program's name and icon through its desktop entry, on Wayland
    // only through it.
    setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    setWindowIcon(ProgramIcon());
    setFont(DesktopUiFont());
    if (style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0)
        setStyle(new ReadableEdgesStyle);
    installEventFilter(new ReadablePlaceholder(this));
    ReadablePlaceholder::Mend();
    platform::InstallFontSubstitutions();
    // Every word of the window is Japanese whatever the desktop's language, so Qt's own
    // buttons and dialogs speak Japanese too. Without the translations installed they
    // stay English, which is worse but usable.
    auto* qtTranslation = new QTranslator(this);
    if (qtTranslation->load(QStringLiteral("qtbase_ja"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qtTranslation);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // An error left to unwind through the event loop would end the program and take
    // the user's unsaved text with it; report it and keep running instead.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        platform::ShowStandardError(QString::fromUtf8(error.what()));
    } catch (...) {
        platform::ShowStandardError(QStringLiteral("不明なエラーが発生しました。"));
    }
    return true;
}

QString FileFailureText(const QString& path, bool writing) {
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    QString reason;
    if (!folder.isDir()) {
        reason = QStringLiteral("フォルダ %1 がありません。")
                     .arg(QDir::toNativeSeparators(folder.filePath()));
    } else if (file.isDir()) {
        reason = QStringLiteral("同じ名前のフォルダがあります。");
    } else if (!writing && !file.exists()) {
        reason = QStringLiteral("ファイルがありません。");
    } else if (writing ? (!folder.isWritable() || (file.exists() && !file.isWritable()))
                       : !file.isReadable()) {
        reason = QStringLiteral("アクセスする権限がありません。");
    } else {
        reason = writing ? QStringLiteral("ディスクがいっぱいか、書き込みが拒否されました。")
                         : QStringLiteral("読み込みが途中で失敗しました。");
    }
    return (writing ? QStringLiteral("ファイル %1 に書き込めませんでした。\r\n%2")
                    : QStringLiteral("ファイル %1 を読み込めませんでした。\r\n%2"))
        .arg(QDir::toNativeSeparators(file.absoluteFilePath()), reason);
}
