// Windows font faces named by the program's designs ("ＭＳ Ｐゴシック", "ＭＳ ゴシック" ...)
// mapped onto the Japanese fonts installed here, so Japanese captions are drawn as
// glyphs and never as the boxes of a Latin fallback.
#pragma once

#include <QFont>
#include <QString>

namespace platform {

// The installed family closest to a Windows face. Proportional faces ("Ｐ" in the
// name, "MS UI Gothic", "Meiryo", "Yu Gothic" ...) go to a proportional Japanese
// gothic, fixed-pitch ones to a fixed-pitch one; mincho faces go to a mincho when one
// is installed and to the gothic otherwise. A face that is installed itself, or one we
// know nothing about, comes back unchanged.
QString MapFontFamily(const QString& face);

// A font of the given Windows face whose character height is `pixels`.
QFont WindowsFont(const QString& face, int pixels);

// Registers every known Windows face as a substitution, so that a QFont created with
// such a face anywhere in the program finds the mapped family. Safe to call often;
// needs a QGuiApplication.
void InstallFontSubstitutions();

} // namespace platform
