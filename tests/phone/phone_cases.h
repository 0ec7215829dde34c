// What a phone shows of our codes: random fields as a user types them, the table of
// what each payload kind and carrier should show of them, and a tally that reads each
// picture with ZXing Java (the reader of Android scanners) and zxing-cpp, compares
// field by field and prints the result per kind and carrier.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/grey_image.h"

namespace phone_test {

enum TKind { kdMail = 0, kdCard = 1, kdBookmark = 2 };
inline constexpr const char* kKindNames[] = {"mail", "card", "bookmark"};

// The carrier group's items in order (the window's index, varoku-qr's --carrier).
struct TTarget {
    const char* Name;
    const char* CliName;
    bool Utf8;           // the code may carry UTF-8 rather than Shift-JIS
    bool BeyondShiftJis; // fields may hold characters Shift-JIS has not (emoji, 𠮷)
};
inline constexpr TTarget kTargets[] = {
    {"Docomo", "docomo", false, false},
    {"Softbank", "softbank", false, false},
    {"AU", "au", false, false},
    {"smartphone", "smartphone", true, true},
};
inline constexpr int kTargetCount = 4;

// The fields as typed, UTF-8; "\n" between the lines of the mail body and the memo.
struct TTyped {
    std::string To, Subject, Body;
    std::string Family, Given, FamilyKana, GivenKana, Tel1, Tel2, Mail1, Mail2, Memo;
    std::string Title, Url;
};

// Seeded from VAROKU_PHONE_SEED (or a fixed default); VAROKU_PHONE_CASES cases per kind
// and carrier.
std::uint64_t BaseSeed();
int CasesPerTarget();

// The typed fields of case `index` of a kind and carrier: the same for every caller.
TTyped Generate(TKind kind, int target, int index);

// The table says this kind's code does not depend on the carrier, so varoku-qr may
// make it without --carrier.
bool CarrierFree(TKind kind, int target);

class TTally {
public:
    explicit TTally(std::string path);

    // The carrier is not offered on this path (yet); `why` goes into the table.
    void NotOffered(TKind kind, int target, const std::string& why);
    // The program refused the fields as too long for four symbols.
    void Refused(TKind kind, int target);
    // Reads a drawn case and compares it. `meant` is the payload the program meant, as
    // UTF-8; `symbols` the number drawn, or -1 when the caller cannot tell. Fails the
    // test when the picture cannot be read whole; false when the reader is gone.
    bool Check(TKind kind, int target, int index, const TTyped& typed, const std::string& meant,
               const test_support::TGreyImage& picture, int symbols);
    // Prints the table, and fails the rows that must be exact and are not.
    void Report() const;

private:
    struct TDifference {
        std::string Where, Field, Expected, Shown;
    };
    struct TCount {
        int Cases = 0, Refused = 0, Fields = 0, Exact = 0, CppTexts = 0, CppMismatches = 0;
        std::vector<std::string> Types; // ZXing's parsed types, one entry per case
        std::vector<TDifference> Differences;
        std::vector<TDifference> CppDifferences;
    };
    std::string path_;
    std::vector<TCount> counts_;
    std::string notOffered_[3][kTargetCount];
};

} // namespace phone_test
