// The application object: its title, and the standard error box for every error that
// escapes a handler, after which the program goes on.
#pragma once

#include <QApplication>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // Delivers the event; an exception that escapes the receiver is shown with its
    // text in the standard error box and the event counts as handled.
    bool notify(QObject* receiver, QEvent* event) override;
};
