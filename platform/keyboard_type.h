// The keyboard type code Windows reports for the first keyboard, derived on Linux from
// the system keyboard layout: 7 for a Japanese layout, 4 for any other configured
// layout (the enhanced 101/102-key type), 0 when nothing is configured.
#pragma once

#include <string_view>

namespace platform {

// Reads /etc/default/keyboard (Debian's keyboard-configuration).
int KeyboardTypeCode();

// The rule behind KeyboardTypeCode, on the contents of such a file: the first layout
// of XKBLAYOUT decides.
int KeyboardTypeFromXkbConfig(std::string_view config);

// True unless KeyboardTypeCode reports no type in its low three bits; the status bar
// shows " J " for True.
bool TestKeyboardType();

} // namespace platform
