#include "platform/font_mapping.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

#include <array>
#include <cstdlib>

namespace platform {
namespace {

enum class Kind { ProportionalGothic, FixedGothic, ProportionalMincho, FixedMincho };

struct KnownFace {
    const char* key; // NFKC-folded, lower case, without blanks
    Kind kind;
};

// Faces as the Windows designs spell them, full-width letters folded away.
constexpr std::array<KnownFace, 20> kKnownFaces{{
    {"mspゴシック", Kind::ProportionalGothic}, {"mspgothic", Kind::ProportionalGothic},
    {"msuigothic", Kind::ProportionalGothic},  {"メイリオ", Kind::ProportionalGothic},
    {"meiryo", Kind::ProportionalGothic},      {"meiryoui", Kind::ProportionalGothic},
    {"游ゴシック", Kind::ProportionalGothic},  {"yugothic", Kind::ProportionalGothic},
    {"yugothicui", Kind::ProportionalGothic},  {"msゴシック", Kind::FixedGothic},
    {"msgothic", Kind::FixedGothic},           {"osaka", Kind::ProportionalGothic},
    {"osaka-等幅", Kind::FixedGothic},         {"msp明朝", Kind::ProportionalMincho},
    {"mspmincho", Kind::ProportionalMincho},   {"游明朝", Kind::ProportionalMincho},
    {"yumincho", Kind::ProportionalMincho},    {"ms明朝", Kind::FixedMincho},
    {"msmincho", Kind::FixedMincho},           {"hgゴシックm", Kind::ProportionalGothic},
}};

// Installed candidates for each kind, best first. A mincho kind falls back to the
// gothic of the same pitch: a different style beats boxes.
QStringList Candidates(Kind kind) {
    const QStringList propGothic{"IPAPGothic",           "IPAexGothic",  "Noto Sans CJK JP",
                                 "VL PGothic",           "TakaoPGothic", "IPAGothic",
                                 "Noto Sans Mono CJK JP"};
    const QStringList fixedGothic{
        "IPAGothic",  "Noto Sans Mono CJK JP", "VL Gothic",       "TakaoGothic",
        "IPAPGothic", "IPAexGothic",           "Noto Sans CJK JP"};
    switch (kind) {
    case Kind::ProportionalGothic:
        return propGothic;
    case Kind::FixedGothic:
        return fixedGothic;
    case Kind::ProportionalMincho:
        return QStringList{"IPAPMincho", "IPAexMincho", "Noto Serif CJK JP", "TakaoPMincho"} +
               propGothic;
    case Kind::FixedMincho:
        return QStringList{"IPAMincho", "TakaoMincho", "Noto Serif CJK JP"} + fixedGothic;
    }
    return propGothic;
}

QString Fold(const QString& face) {
    QString folded = face.normalized(QString::NormalizationForm_KC).toLower();
    folded.remove(QLatin1Char(' '));
    return folded;
}

const KnownFace* Find(const QString& face) {
    const QString folded = Fold(face);
    for (const KnownFace& known : kKnownFaces) {
        if (folded == QString::fromUtf8(known.key)) return &known;
    }
    return nullptr;
}

bool Installed(const QStringList& families, const QString& family) {
    return families.contains(family, Qt::CaseInsensitive);
}

} // namespace

QString MapFontFamily(const QString& face) {
    const KnownFace* known = Find(face);
    if (!known || !QGuiApplication::instance()) return face;
    const QStringList families = QFontDatabase::families();
    if (Installed(families, face)) return face;
    for (const QString& candidate : Candidates(known->kind)) {
        if (Installed(families, candidate)) return candidate;
    }
    return face;
}

QFont WindowsFont(const QString& face, int pixels) {
    QFont font(MapFontFamily(face));
    font.setPixelSize(std::max(1, std::abs(pixels)));
    return font;
}

void InstallFontSubstitutions() {
    if (!QGuiApplication::instance()) return;
    const QStringList spelled{"ＭＳ Ｐゴシック", "ＭＳ ゴシック", "ＭＳ Ｐ明朝",  "ＭＳ 明朝",
                              "MS PGothic",      "MS Gothic",     "MS UI Gothic", "MS PMincho",
                              "MS Mincho",       "メイリオ",      "Meiryo",       "Meiryo UI",
                              "游ゴシック",      "Yu Gothic",     "游明朝",       "Yu Mincho"};
    for (const QString& face : spelled) {
        const QString mapped = MapFontFamily(face);
        if (mapped != face) QFont::insertSubstitution(face, mapped);
    }
}

} // namespace platform
