#include "app/application.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <exception>

#include "platform/font_mapping.h"
#include "platform/message_box.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Varoku"));
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
