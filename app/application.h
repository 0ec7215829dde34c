// The application object: its title, Qt's own Japanese translations, and the standard error box for
// every error that escapes a handler, after which the program goes on.
#pragma once

#include <QApplication>
#include <QString>

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
