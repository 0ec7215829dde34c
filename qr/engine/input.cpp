#include "qr/engine/input.h"

#include "qr/engine/symbol_tables.h"

namespace qr::engine {

namespace {

std::string DivisionMessage(const std::string& name, long long value) {
    return "Illegal " + name + " : " + std::to_string(value);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void TakeLiterally(std::string_view code, std::string& out) {
    out.assign(code);
    out.append(4, '\0');
}

} // namespace

EQRDivisionError::EQRDivisionError(const std::string& name, long long value)
    : std::runtime_error(DivisionMessage(name, value)), name_(name), value_(value) {}

int FindChar(char ch, std::string_view text, int start) {
    if (start < 1 || start > static_cast<int>(text.size())) return 0;
    const auto found = text.find(ch, static_cast<std::size_t>(start - 1));
    return found == std::string_view::npos ? 0 : static_cast<int>(found) + 1;
}

int PrepareInput(std::string_view code, bool& binaryOperation, bool& binary, std::string& out) {
    const int n = static_cast<int>(code.size());
    binary = false;
    if (n == 0) {
        out.assign(4, '\0');
        return 0;
    }
    if (!binaryOperation) {
        TakeLiterally(code, out);
        return n;
    }

    out.clear();
    out.reserve(static_cast<std::size_t>(n) + 4);
    bool sawControl = false;
    int a = 1;
    while (a <= n) {
        const int open = FindChar('~', code, a);
        if (open == 0) {
            out.append(code.substr(static_cast<std::size_t>(a - 1)));
            break;
        }
        const int close = FindChar('~', code, open + 1);
        const int digits = close - open - 1;
        if (close == 0 || digits % 2 != 0) {
            binaryOperation = false;
            TakeLiterally(code, out);
            return n;
        }
        out.append(
            code.substr(static_cast<std::size_t>(a - 1), static_cast<std::size_t>(open - a)));
        if (digits == 0) out.push_back('~');
        for (int i = open; i < close - 1; i += 2) {
            const int high = HexDigit(code[static_cast<std::size_t>(i)]);
            const int low = HexDigit(code[static_cast<std::size_t>(i + 1)]);
            if (high < 0 || low < 0) {
                binaryOperation = false;
                TakeLiterally(code, out);
                return n;
            }
            const auto byte = static_cast<std::uint8_t>(high * 16 + low);
            if (IsControlByte(byte)) sawControl = true;
            out.push_back(static_cast<char>(byte));
        }
        a = close + 1;
    }
    binary = sawControl;
    const int length = static_cast<int>(out.size());
    out.append(4, '\0');
    return length;
}

bool IsSecondByte(std::span<const std::uint8_t> input, int pos) {
    if (pos <= 0 || pos >= static_cast<int>(input.size()) || input[pos] == 0) return false;
    int leads = 0;
    for (int i = pos - 1; i >= 0 && IsShiftJisLeadByte(input[i]); --i)
        ++leads;
    return leads % 2 == 1;
}

namespace {

// A UTF-8 continuation byte, 10xxxxxx: no character starts there.
bool InsideUtf8Character(std::span<const std::uint8_t> input, int pos) {
    return (input[pos] & 0xC0) == 0x80;
}

} // namespace

void DivideInput(std::span<const std::uint8_t> input, int& count, TQRMode& mode,
                 std::span<int, kOffsetCount> offset, bool utf8) {
    const int len = static_cast<int>(input.size());
    if (len < count) count = len;
    if (count < 1) count = 1;
    if (count > kMaxCount) count = kMaxCount;

    int size = len / count;
    if (size * count < len && len > (size + 1) * (count - 1)) ++size;

    offset[0] = 0;
    int i = 1;
    int cut = size;
    while (i < count && cut < len) {
        if (utf8) {
            // Back to the character's first byte, or on past its last when the symbol
            // before would be left empty.
            int start = cut;
            while (start > offset[i - 1] + 1 && InsideUtf8Character(input, start))
                --start;
            if (!InsideUtf8Character(input, start)) {
                cut = start;
            } else {
                while (cut < len && InsideUtf8Character(input, cut))
                    ++cut;
                if (cut >= len) break;
            }
        } else if (IsSecondByte(input, cut) && TrailBytes[input[cut]]) {
            if (cut - 1 > offset[i - 1])
                --cut;
            else if (cut + 1 >= len)
                break;
            else
                ++cut;
        }
        offset[i] = cut;
        ++i;
        cut += size;
    }
    offset[i] = len;
    count = i;

    if (count == 1)
        mode = qrSingle;
    else if (count > kMaxLinked)
        mode = qrPlus;
    else if (mode == qrSingle)
        mode = qrConnect;
}

void CheckDivision(std::span<const std::uint8_t> input, int len, int count, int mode, int column,
                   std::span<const int, kOffsetCount> offset, int& parity) {
    if (len < 0) throw EQRDivisionError("Len", len);
    if (count < 1 || count > kMaxCount) throw EQRDivisionError("Count", count);
    if (mode < qrSingle || mode > qrPlus) throw EQRDivisionError("Mode", mode);
    if (column < 1 || column > kMaxCount) throw EQRDivisionError("Column", column);
    auto offsetError = [&](int index) {
        return EQRDivisionError("Offset[" + std::to_string(index) + "]", offset[index]);
    };
    if (len == 0) {
        if (count != 1) throw EQRDivisionError("Count", count);
        if (mode != qrSingle) throw EQRDivisionError("Mode", mode);
        if (offset[0] != 0) throw offsetError(0);
        if (offset[1] != 0) throw offsetError(1);
    } else {
        if (len < count || (mode == qrSingle && count != 1) ||
            (mode == qrConnect && (count < 2 || count > kMaxLinked)) ||
            (mode == qrPlus && count < 2))
            throw EQRDivisionError("Count", count);
        if (offset[0] != 0) throw offsetError(0);
        if (offset[count] != len) throw offsetError(count);
        for (int i = 1; i <= count; ++i)
            if (offset[i] <= offset[i - 1]) throw offsetError(i);
    }
    if (mode == qrConnect && len / count <= kMaxSliceBytes) {
        // The prepared input always holds len bytes; a shorter span is a caller's slip.
        const int n = len < static_cast<int>(input.size()) ? len : static_cast<int>(input.size());
        int x = 0;
        for (int i = 0; i < n; ++i)
            x ^= input[i];
        parity = x;
    }
}

} // namespace qr::engine
