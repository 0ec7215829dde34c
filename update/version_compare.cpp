#include "update/version_compare.h"

#include <algorithm>
#include <string>
#include <vector>

#include "composer/shift_jis_text.h"

namespace update {
namespace {

// Beyond this many places an exponent cannot change how a number compares with any
// version a program carries, and a hostile "1E999999999" must not build a huge text.
constexpr long kMaxShift = 4096;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string TakeDigits(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return std::string(text.substr(start, at - start));
}

// Compares two runs of decimal digits by value, however long they are.
int CompareWhole(std::string_view a, std::string_view b) {
    a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
    b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a.compare(b) > 0 ? 1 : 0);
}

// The fields of a number IsNumericText accepted: its whole part and, when it has one,
// its fraction. Empty for a negative number.
std::vector<std::string> PublishedFields(std::string_view text) {
    std::size_t at = text.find_first_not_of(' ');
    if (text[at] == '-') return {};
    if (text[at] == '+') ++at;
    std::string whole = TakeDigits(text, at);
    std::string fraction;
    if (at < text.size() && text[at] == '.') fraction = TakeDigits(text, ++at);
    if (at < text.size()) {
        ++at; // "E" or "e"
        bool negative = false;
        if (text[at] == '+' || text[at] == '-') negative = text[at++] == '-';
        long shift = 0;
        for (const char c : TakeDigits(text, at))
            shift = std::min(shift * 10 + (c - '0'), kMaxShift);
        if (negative) shift = -shift;
        const std::string digits = whole + fraction;
        const long point = static_cast<long>(whole.size()) + shift;
        if (point <= 0) {
            whole = "0";
            fraction = std::string(static_cast<std::size_t>(-point), '0') + digits;
        } else if (point >= static_cast<long>(digits.size())) {
            whole = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
            fraction.clear();
        } else {
            whole = digits.substr(0, static_cast<std::size_t>(point));
            fraction = digits.substr(static_cast<std::size_t>(point));
        }
    }
    std::vector<std::string> fields{whole};
    if (!fraction.empty()) fields.push_back(fraction);
    return fields;
}

// The fields of a dotted version; each counts by its leading digits, none giving 0.
std::vector<std::string> RunningFields(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        const std::string_view field = text.substr(start, dot - start);
        std::size_t at = 0;
        fields.push_back(TakeDigits(field, at));
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return fields;
}

} // namespace

bool IsNewerVersion(std::string_view published, std::string_view running) {
    if (!composer::IsNumericText(published)) return false;
    const std::vector<std::string> offered = PublishedFields(published);
    if (offered.empty()) return false;
    const std::vector<std::string> current = RunningFields(running);
    for (std::size_t i = 0; i < std::max(offered.size(), current.size()); ++i) {
        const std::string_view a = i < offered.size() ? std::string_view(offered[i]) : "";
        const std::string_view b = i < current.size() ? std::string_view(current[i]) : "";
        if (const int order = CompareWhole(a, b); order != 0) return order > 0;
    }
    return false;
}

} // namespace update
