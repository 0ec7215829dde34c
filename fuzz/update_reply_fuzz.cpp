// Any bytes as the update text the server sends: the report is written or left empty,
// never a crash, and a report always has its eleven lines (more only where the published
// version itself holds line breaks, which is shown as published).
#include <QApplication>
#include <QPlainTextEdit>
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
    form->HTTPGet1DoneString(nullptr, reply);
    const int lines = form->Memo1->document()->blockCount();
    const bool empty = form->Memo1->toPlainText().isEmpty();
    const std::string version = update::TagText(reply, "<SoftVer>", "</SoftVer>");
    int breaks = 0;
    for (std::size_t i = 0; i < version.size(); ++i)
        if (version[i] == '\n' ||
            (version[i] == '\r' && (i + 1 == version.size() || version[i + 1] != '\n')))
            ++breaks;
    if (!empty && lines != 11 + breaks) {
        std::fprintf(stderr, "update fuzz: a report of %d lines\n", lines);
        std::abort();
    }
    if (empty == (reply.find("Varoku") != std::string::npos)) {
        std::fprintf(stderr, "update fuzz: report shown for a text that is not ours, or missing\n");
        std::abort();
    }
    return 0;
}
