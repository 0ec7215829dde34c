// Our fixed-mask symbols against an encoder written by others (libqrencode), module by
// module: every version, level and mask in every mode, one segment each so that both
// encoders must write the same bits, from empty data to full capacity.
#include <gtest/gtest.h>

#include <string>

#include "qr/engine/symbol_engine.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/qrencode_peer.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

// Modules that differ in all 1280 symbols of one mode; the first difference is named.
void CompareMode(int mode) {
    static const char* const names[] = {"numeric", "alphanumeric", "8-bit", "Kanji"};
    TInputMaker make(static_cast<std::uint32_t>(100 + mode));
    int compared = 0;
    int differing = 0;
    std::string first;
    TQRSymbolEngine e;
    for (int version = 1; version <= 40; ++version)
        for (int level = 0; level < 4; ++level) {
            ASSERT_TRUE(e.SetVersion(version));
            ASSERT_TRUE(e.SetEclevel(level));
            ASSERT_TRUE(e.SetEmode(mode));
            const int capacity = e.Capacity(); // in characters of the mode
            for (int mask = 0; mask < 8; ++mask) {
                // Empty, full, and lengths between, so that every pad and terminator
                // length is met somewhere.
                const int n = mask == 0 ? 0 : mask == 7 ? capacity : make.Uniform(1, capacity - 1);
                const std::string data = mode == 0   ? make.Digits(n)
                                         : mode == 1 ? make.Alnum(n)
                                         : mode == 2 ? make.Binary(n)
                                                     : make.Kanji(n);
                const std::string where = std::string(names[mode]) + " version " +
                                          std::to_string(version) + " level " +
                                          std::to_string(level) + " mask " + std::to_string(mask) +
                                          ", " + std::to_string(n) + " characters";
                // For empty data our fixed mode still writes its one segment, with a
                // count of 0, which libqrencode refuses to append; with no segment at all
                // (our automatic mode writes none) the two must agree again.
                ASSERT_TRUE(e.SetEmode(n == 0 ? -1 : mode));
                ASSERT_TRUE(e.SetMasktype(mask));
                ASSERT_EQ(e.BuildSymbolFrom(AsBytes(data), 1), brBuilt) << where;
                const auto peer =
                    test_support::QrencodeFixedMask(AsBytes(data), mode, version, level, mask);
                ASSERT_TRUE(peer.Ok) << where << ": " << peer.Error;
                ASSERT_EQ(peer.Version, version) << where;
                ASSERT_EQ(peer.Modules, e.Modules()) << where;
                int cells = 0;
                for (int r = 0; r < peer.Modules; ++r)
                    for (int c = 0; c < peer.Modules; ++c)
                        if (peer.IsDark(r, c) != e.IsDark(r, c)) {
                            if (cells++ == 0 && first.empty())
                                first = where + ": first at " + std::to_string(r) + "," +
                                        std::to_string(c);
                        }
                differing += cells != 0;
                ++compared;
            }
        }
    EXPECT_EQ(compared, 1280);
    EXPECT_EQ(differing, 0) << differing << " of " << compared << " symbols differ; " << first;
}

TEST(PeerComparison, NumericSymbolsEqualLibqrencodes) {
    CompareMode(0);
}
TEST(PeerComparison, AlphanumericSymbolsEqualLibqrencodes) {
    CompareMode(1);
}
TEST(PeerComparison, ByteSymbolsEqualLibqrencodes) {
    CompareMode(2);
}
TEST(PeerComparison, KanjiSymbolsEqualLibqrencodes) {
    CompareMode(3);
}

} // namespace
