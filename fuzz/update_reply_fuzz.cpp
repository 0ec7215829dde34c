// Any bytes as the update text the server sends: never a crash; our text gives a report
// of eleven lines (more only where the published version itself holds line breaks, which
// is shown as published), anything else the access line and the failure said under it.
#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "update/update_window.h"

namespace {
QApplication* application = nullptr;
update::TForm2* form = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    application = new QApplication(*argc, *argv);
    form = new update::TForm2();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    // The window as a showing leaves it: the access line, the download under way.
    form->Memo1->clear();
    form->Memo1->appendPlainText(QStringLiteral("*** アクセス中 ***"));
    form->HTTPGet1DoneString(nullptr, reply);
    const int lines = form->Memo1->document()->blockCount();
    if (reply.find("Varoku") == std::string::npos) {
        // Somebody else's text: the access line stays and the failure is said under it.
        const QString said = form->Memo1->document()->findBlockByNumber(1).text();
        if (lines != 2 || !said.startsWith(QStringLiteral("更新情報を取得できませんでした"))) {
            std::fprintf(stderr, "update fuzz: a foreign text gave %d lines\n", lines);
            std::abort();
        }
        return 0;
    }
    const std::string version = update::TagText(reply, "<SoftVer>", "</SoftVer>");
    int breaks = 0;
    for (std::size_t i = 0; i < version.size(); ++i)
        if (version[i] == '\n' ||
            (version[i] == '\r' && (i + 1 == version.size() || version[i + 1] != '\n')))
            ++breaks;
    if (lines != 11 + breaks) {
        std::fprintf(stderr, "update fuzz: a report of %d lines\n", lines);
        std::abort();
    }
    return 0;
}
