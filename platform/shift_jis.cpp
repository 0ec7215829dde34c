#include "platform/shift_jis.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <stdexcept>

namespace platform {
namespace {

// ICU's table for this code page is IBM's: it swaps the control codes 0x1A, 0x1C and
// 0x7F, which Windows maps straight through. Every byte below 0x80 is put back to
// itself after conversion, using the offsets ICU reports for each output unit.

UConverter* OpenConverter() {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-31j", &status);
    if (U_FAILURE(status) || !converter) {
        throw std::runtime_error("code page 932 converter unavailable");
    }
    // Windows' best-fit forms (wave dash, yen sign, minus sign ...).
    ucnv_setFallback(converter, true);
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter, "?", 1, &status);
    return converter;
}

struct Converter {
    Converter() : handle(OpenConverter()) {}
    ~Converter() { ucnv_close(handle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    UConverter* handle;
};

void U_CALLCONV ReplacementOnBadBytes(const void*, UConverterToUnicodeArgs* args, const char*,
                                      int32_t, UConverterCallbackReason reason,
                                      UErrorCode* status) {
    if (reason > UCNV_IRREGULAR) {
        return; // reset, close, clone: nothing to write
    }
    static const UChar replacement = 0xFFFD;
    *status = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, status);
}

struct FromUnicodeContext {
    const UChar* start = nullptr;
    std::vector<int>* offsets = nullptr; // UTF-16 offsets of unmappable characters
};

void U_CALLCONV NoteUnmappable(const void* context, UConverterFromUnicodeArgs* args,
                               const UChar* codeUnits, int32_t length, UChar32,
                               UConverterCallbackReason reason, UErrorCode* status) {
    if (reason > UCNV_IRREGULAR) {
        return;
    }
    auto* ctx = static_cast<const FromUnicodeContext*>(context);
    if (ctx->offsets) {
        ctx->offsets->push_back(static_cast<int>(args->source - ctx->start) - length);
    }
    UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, codeUnits, length, 0, reason, status);
}

char32_t CodePointAt(std::u16string_view text, size_t index) {
    const char16_t first = text[index];
    if (first >= 0xD800 && first <= 0xDBFF && index + 1 < text.size()) {
        const char16_t second = text[index + 1];
        if (second >= 0xDC00 && second <= 0xDFFF) {
            return 0x10000 + ((char32_t(first) - 0xD800) << 10) + (char32_t(second) - 0xDC00);
        }
    }
    return first;
}

} // namespace

std::u16string ShiftJisToUtf16(std::string_view bytes) {
    std::u16string result;
    if (bytes.empty()) {
        return result;
    }
    Converter converter;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.handle, ReplacementOnBadBytes, nullptr, nullptr, nullptr,
                        &status);
    // Never more UTF-16 units than bytes: every character is one unit.
    result.resize(bytes.size());
    std::vector<int32_t> offsets(bytes.size());
    UChar* target = reinterpret_cast<UChar*>(result.data());
    const char* source = bytes.data();
    ucnv_toUnicode(converter.handle, &target, target + result.size(), &source,
                   bytes.data() + bytes.size(), offsets.data(), true, &status);
    if (U_FAILURE(status)) {
        throw std::runtime_error("code page 932 decoding failed");
    }
    result.resize(target - reinterpret_cast<UChar*>(result.data()));
    for (size_t i = 0; i < result.size(); ++i) {
        const int32_t at = offsets[i];
        if (at >= 0 && static_cast<unsigned char>(bytes[at]) < 0x80) {
            result[i] = static_cast<unsigned char>(bytes[at]);
        }
    }
    return result;
}

QString ShiftJisToQString(std::string_view bytes) {
    const std::u16string text = ShiftJisToUtf16(bytes);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Utf16ToShiftJis(std::u16string_view text, std::vector<TShiftJisUnmappable>* unmappable,
                            TShiftJisScope scope) {
    std::string result;
    if (text.empty()) {
        return result;
    }
    Converter converter;
    std::vector<int> badOffsets;
    FromUnicodeContext context;
    context.start = reinterpret_cast<const UChar*>(text.data());
    context.offsets = unmappable ? &badOffsets : nullptr;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter.handle, NoteUnmappable, &context, nullptr, nullptr, &status);
    // At most two bytes per code unit, "?" included.
    result.resize(text.size() * 2);
    std::vector<int32_t> offsets(result.size());
    char* target = result.data();
    const UChar* source = context.start;
    ucnv_fromUnicode(converter.handle, &target, target + result.size(), &source,
                     source + text.size(), offsets.data(), true, &status);
    if (U_FAILURE(status)) {
        throw std::runtime_error("code page 932 encoding failed");
    }
    result.resize(target - result.data());
    for (size_t i = 0; i < result.size(); ++i) {
        const int32_t at = offsets[i];
        if (at >= 0 && text[at] < 0x80) {
            result[i] = static_cast<char>(text[at]);
        }
    }
    if (unmappable && scope == TShiftJisScope::JisX0208) {
        for (size_t i = 0; i < result.size(); ++i) {
            const auto lead = static_cast<unsigned char>(result[i]);
            if (!IsShiftJisLeadByte(lead)) continue;
            if (!IsJisX0208LeadByte(lead)) badOffsets.push_back(offsets[i]);
            ++i;
        }
        std::sort(badOffsets.begin(), badOffsets.end());
    }
    if (unmappable) {
        // Positions count code points, so a surrogate pair is one character.
        size_t unit = 0;
        int position = 1;
        for (int offset : badOffsets) {
            while (unit < static_cast<size_t>(offset)) {
                unit += CodePointAt(text, unit) > 0xFFFF ? 2 : 1;
                ++position;
            }
            unmappable->push_back({CodePointAt(text, offset), position});
        }
    }
    return result;
}

std::string QStringToShiftJis(const QString& text, std::vector<TShiftJisUnmappable>* unmappable,
                              TShiftJisScope scope) {
    return Utf16ToShiftJis(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                               static_cast<size_t>(text.size())),
                           unmappable, scope);
}

ShiftJisCodec::ShiftJisCodec() : converter_(OpenConverter()) {
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
}

ShiftJisCodec::~ShiftJisCodec() {
    ucnv_close(converter_);
}

bool ShiftJisCodec::DecodeChar(std::string_view bytes, char16_t& out) {
    if (bytes.empty() || bytes.size() > 2) {
        return false;
    }
    const auto first = static_cast<unsigned char>(bytes[0]);
    if (first < 0x80) {
        if (bytes.size() != 1) {
            return false;
        }
        out = first;
        return true;
    }
    ucnv_resetToUnicode(converter_);
    UChar units[2];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(converter_, units, 2, bytes.data(),
                                    static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status) || n != 1 || units[0] == 0xFFFD) {
        return false;
    }
    out = units[0];
    return true;
}

bool ShiftJisCodec::EncodeChar(char16_t ch, std::string& out) {
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
        return true;
    }
    if (ch >= 0xD800 && ch <= 0xDFFF) {
        return false;
    }
    ucnv_resetFromUnicode(converter_);
    char bytes[4];
    UErrorCode status = U_ZERO_ERROR;
    const UChar unit = ch;
    const int32_t n = ucnv_fromUChars(converter_, bytes, sizeof bytes, &unit, 1, &status);
    if (U_FAILURE(status) || n < 1 || n > 2) {
        return false;
    }
    out.append(bytes, static_cast<size_t>(n));
    return true;
}

} // namespace platform
