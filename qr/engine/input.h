// Input preparation (the ~hex~ escapes) and the division of the prepared input among
// the symbols, with the consistency check whose error the user gets to see.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qr::engine {

// How the input is spread over several symbols: one symbol, a structured-append set of
// 2..16 linked symbols, or 2..1024 independent pieces.
enum TQRMode : std::uint8_t { qrSingle, qrConnect, qrPlus };

inline constexpr int kMaxCount = 1024; // most symbols of one division
inline constexpr int kMaxLinked = 16;  // most symbols of one structured-append set
inline constexpr int kOffsetCount = kMaxCount + 1;

// Raised by CheckDivision when a division is inconsistent; what() is the message the
// user sees, for example "Illegal Offset[3] : 120".
class EQRDivisionError : public std::runtime_error {
public:
    // name is "Len", "Count", "Mode", "Column" or "Offset[i]"; value the offending value.
    EQRDivisionError(const std::string& name, long long value);
    // The offending item and its value, as in the message.
    const std::string& Name() const { return name_; }
    long long Value() const { return value_; }

private:
    std::string name_;
    long long value_;
};

// Control bytes that mark escaped input as binary (tab, LF and CR are text).
constexpr bool IsControlByte(std::uint8_t b) {
    return b < 0x20 && b != 0x09 && b != 0x0A && b != 0x0D;
}

// 1-based position of the first ch in text at or after position start; 0 when there
// is none or start lies outside 1..text.size().
int FindChar(char ch, std::string_view text, int start);

// Builds the prepared input from code into out (resized to the result length + 4, the
// last 4 bytes zero) and returns that length. With binaryOperation on, ~hex~ escapes
// are resolved; a malformed escape turns binaryOperation off and copies code unchanged.
// binary becomes true when an escape produced a control byte.
int PrepareInput(std::string_view code, bool& binaryOperation, bool& binary, std::string& out);

// True when input[pos] is the second byte of a double-byte Shift-JIS character,
// judged from the start of the input (an odd run of lead bytes right before it).
bool IsSecondByte(std::span<const std::uint8_t> input, int pos);

// Cuts input among count symbols: fills offset[0..count], lowers count where needed
// (never below 1, never a double-byte character cut in two) and corrects mode.
// count is first clamped into 1..1024; offset must hold 1025 entries. With utf8 the
// input is UTF-8 (ECI 26) and no cut falls inside a character's bytes: a phone decodes
// each symbol by itself, and half a character spoils the whole symbol's text.
void DivideInput(std::span<const std::uint8_t> input, int& count, TQRMode& mode,
                 std::span<int, kOffsetCount> offset, bool utf8 = false);

// Throws EQRDivisionError naming the first inconsistent item of a division (len, count,
// mode, column, an offset). On success in connect mode with slices of at most 7089
// bytes, parity becomes the XOR of all input bytes; otherwise parity is unchanged.
void CheckDivision(std::span<const std::uint8_t> input, int len, int count, int mode, int column,
                   std::span<const int, kOffsetCount> offset, int& parity);

} // namespace qr::engine
