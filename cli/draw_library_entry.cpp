// libvaroku-qr-draw's side of cli/draw_entries.h: the component and the payload
// commands behind one table.
#include <memory>

#include "cli/draw_entries.h"
#include "cli/picture.h"
#include "platform/shift_jis.h"

namespace cli {

namespace {

void* OpenSession() {
    return new TGuiSession();
}

void CloseSession(void* session) {
    delete static_cast<TGuiSession*>(session);
}

std::string ShiftJisToUtf8(std::string_view sjis) {
    const QByteArray utf8 = platform::ShiftJisToQString(sjis).toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

constexpr TDrawEntries kEntries = {kDrawEntriesVersion, OpenSession,    CloseSession,
                                   DrawPicture,         ComposePayload, ShiftJisToUtf8};

} // namespace

} // namespace cli

extern "C" __attribute__((visibility("default"))) const cli::TDrawEntries*
varoku_qr_draw_entries() {
    return &cli::kEntries;
}

extern "C" __attribute__((visibility("default"))) const char* varoku_qr_draw_stamp() {
    static const std::string stamp = cli::DrawLayoutStamp();
    return stamp.c_str();
}
