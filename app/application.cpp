#include "app/application.h"

#include <exception>

#include "platform/font_mapping.h"
#include "platform/message_box.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Varoku"));
    platform::InstallFontSubstitutions();
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
