// The application object: its title, its desktop identity (desktop entry and icon), the
// desktop's own UI font, Qt's own Japanese translations, and the standard error box for
// every error that escapes a handler, after which the program goes on.
#pragma once

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLocale>
#include <QString>

// The name of the installed desktop entry without ".desktop"; also the icon's name.
extern const char* const kDesktopFileName;

// The program's icon: the icon theme's when the desktop has it installed, otherwise the
// one built into the program, at every size a desktop asks for.
QIcon ProgramIcon();

// The desktop's proportional UI font, at its size. Its family list puts first, under a
// Japanese locale, the proportional Japanese gothic fontconfig prefers for
// "sans-serif:lang=ja" (the desktop's general font after it for Latin), and otherwise
// the general font with that Japanese family behind it for kana and Kanji.
QFont DesktopUiFont(const QLocale& locale = QLocale());

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // Delivers the event; an exception that escapes the receiver is shown with its
    // text in the standard error box and the event counts as handled.
    bool notify(QObject* receiver, QEvent* event) override;
};

// Japanese words for a file the program could not write (`writing`) or read: the
// file's path and the likely reason, found by looking at the file and its folder.
QString FileFailureText(const QString& path, bool writing);
