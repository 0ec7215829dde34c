// Reads a picture as the ZXing-based scanners of Android phones do: ZXing Java decodes
// every symbol (a structured-append set comes back joined into one text) and its result
// parser picks out the mail, contact or address fields a phone shows. One Java process
// (PhoneReader.java) serves the whole test process; it starts on the first read.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/grey_image.h"

namespace test_support {

// One result of QRCodeMultiReader.decodeMultiple, with ResultParser's reading of it.
struct TPhoneResult {
    std::string Text; // UTF-8, a linked set's symbols already joined
    // Structured-append metadata when ZXing left it on the result (-1 when not).
    int SaSequence = -1;
    int SaParity = -1;
    std::string Type; // ParsedResultType: EMAIL_ADDRESS, ADDRESSBOOK, URI, TEXT, ...
    // Parsed fields by ZXing's names (tos, subject, body; names, pronunciation,
    // phoneNumbers, emails, note, addresses, urls; uri, title; text): a list field has
    // one entry per item in order, a field the parser left null has none.
    std::multimap<std::string, std::string> Fields;

    std::vector<std::string> All(const std::string& field) const;
    // The first entry, empty when there is none.
    std::string First(const std::string& field) const;
};

// One symbol as ZXing's decoder saw it on its own (index, count, parity; -1 when the
// symbol is not linked).
struct TPhoneSymbol {
    int Index = -1;
    int Count = -1;
    int Parity = -1;
};

struct TPhoneReading {
    std::vector<TPhoneResult> Results;
    std::vector<TPhoneSymbol> Symbols;
    // Not empty when the reader could not answer: Java missing, the process gone, a
    // garbled answer. Once the process is gone every later read reports it.
    std::string Error;
};

// A width x height 8-bit luminance buffer, rowStride bytes per row (0 = width).
TPhoneReading PhoneRead(const std::uint8_t* pixels, int width, int height, int rowStride = 0);
TPhoneReading PhoneRead(const TGreyImage& image);

} // namespace test_support
