#include "platform/keyboard_type.h"

#include <fstream>
#include <sstream>
#include <string>

namespace platform {
namespace {

constexpr int kTypeEnhanced = 4;
constexpr int kTypeJapanese = 7;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

} // namespace

int KeyboardTypeFromXkbConfig(std::string_view config) {
    std::string_view layouts;
    bool found = false;
    while (!config.empty()) {
        const auto end = config.find('\n');
        std::string_view line = Trim(config.substr(0, end));
        config = end == std::string_view::npos ? std::string_view{} : config.substr(end + 1);
        if (line.starts_with("export ")) {
            line = Trim(line.substr(7));
        }
        if (!line.starts_with("XKBLAYOUT=")) {
            continue;
        }
        // The shell-style file may assign it more than once; the last assignment holds.
        layouts = Trim(line.substr(10));
        if (layouts.size() >= 2 && (layouts.front() == '"' || layouts.front() == '\'') &&
            layouts.back() == layouts.front()) {
            layouts = layouts.substr(1, layouts.size() - 2);
        }
        found = true;
    }
    const std::string_view first = Trim(layouts.substr(0, layouts.find(',')));
    if (!found || first.empty()) {
        return 0;
    }
    return first == "jp" ? kTypeJapanese : kTypeEnhanced;
}

int KeyboardTypeCode() {
    std::ifstream file("/etc/default/keyboard", std::ios::binary);
    if (!file) {
        return 0;
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    return KeyboardTypeFromXkbConfig(contents.str());
}

bool TestKeyboardType() {
    return (KeyboardTypeCode() & 7) != 0;
}

} // namespace platform
