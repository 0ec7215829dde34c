// The about dialog: what the about button shows, configured once on the main window
// and built afresh each time it is opened.
#pragma once

#include <QString>
#include <memory>

class QDialog;
class QWidget;

class TAboutBoxDlg {
public:
    QString Title;
    QString ProgramName;
    QString Version;
    QString Copyright;
    QString Notes;
    // Where the settings file is; shown (elided, whole in its tool tip) when not empty.
    QString SettingsPath;
    bool UseOSStdFonts = true;

    // Builds the dialog owned by `owner`, centred in the screen's work area, without
    // showing it. Object names: "ProgramName", "Version", "Copyright", "Notes", "Settings",
    // "OK".
    std::unique_ptr<QDialog> Create(QWidget* owner) const;
    // Shows the dialog modally; it is destroyed when it closes.
    void Execute(QWidget* owner) const;
};
