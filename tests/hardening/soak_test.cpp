// Random symbols of every version, level, mask, mode and split, each read back by the
// strict checker and by zxing-cpp. VAROKU_SOAK_CASES sets the number of inputs
// (`make soak` runs 100,000; the default keeps `make test` quick).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "symbol_sweep.h"

namespace hardening {
namespace {

using qr::engine::qrConnect;
using qr::engine::qrPlus;
using qr::engine::qrSingle;
using qr::engine::TQRMode;

int SoakCases() {
    const char* env = std::getenv("VAROKU_SOAK_CASES");
    return env && std::atoi(env) > 0 ? std::atoi(env) : 5000;
}

TEST(Soak, RandomInputsReadBackExactly) {
    std::mt19937 rng(20261209);
    const int cases = SoakCases();
    int symbols = 0, refused = 0;
    for (int i = 0; i < cases; ++i) {
        TQRSymbolEngine engine;
        const int version = 1 + static_cast<int>(rng() % 40);
        const int level = static_cast<int>(rng() % 4);
        const int mask = rng() % 3 == 0 ? static_cast<int>(rng() % 8) : -1;
        const int emode = rng() % 10 < 7 ? -1 : static_cast<int>(rng() % 4);
        const int kind = emode >= 0 ? emode : static_cast<int>(rng() % 5);
        const int split = static_cast<int>(rng() % 10);
        const TQRMode mode = split < 6 ? qrSingle : split < 9 ? qrConnect : qrPlus;
        int count = 1;
        if (mode == qrConnect)
            count = rng() % 10 == 0 ? 2 + static_cast<int>(rng() % 15)
                                    : 2 + static_cast<int>(rng() % 3);
        if (mode == qrPlus) count = 2 + static_cast<int>(rng() % 6);
        engine.SetVersion(version);
        engine.SetEclevel(level);
        engine.SetMasktype(mask);
        engine.SetEmode(emode);
        // Every other case cuts its segments for the fewest bits (the draws stay as they were).
        engine.SetSegments(i % 2 == 1 ? qr::engine::sgOptimal : qr::engine::sgGreedy);
        const int capacityMode = kind == 4 ? 2 : kind;
        int capacity = engine.VersionInfo().Levels[level].ModeCapacity[capacityMode];
        if (kind == 3) capacity *= 2; // Kanji capacity counts characters of two bytes
        const int length = static_cast<int>(rng() % (capacity * count * 95 / 100 + 1));
        engine.SetCode(RandomText(rng, kind, length));
        engine.SetMode(mode);
        engine.SetCount(count);

        engine.DivideInput();
        ASSERT_NO_THROW(engine.CheckDivision()) << "case " << i;
        const std::string where =
            "case " + std::to_string(i) + ": version " + std::to_string(version) + " level " +
            std::to_string(level) + " mask " + std::to_string(mask) + " mode " +
            std::to_string(emode) + " segments " + std::to_string(engine.Segments()) + " split " +
            std::to_string(mode) + " of " + std::to_string(engine.Count());
        for (int s = 1; s <= engine.Count(); ++s) {
            if (engine.BuildSymbol(s) != 0) {
                ++refused;
                break;
            }
            ++symbols;
            const auto check = CheckBuilt(engine, s, mask < 0);
            ASSERT_TRUE(check.Ok) << where << " symbol " << s << ": " << check.Error;
            if (emode >= 0) {
                EXPECT_EQ(check.Reading.SegmentModes, std::vector<int>{emode}) << where;
            }
            const auto read = ReadBuilt(engine);
            ASSERT_TRUE(read.Valid) << where << " symbol " << s << ": " << read.Error;
            const auto slice = engine.Slice(s);
            ASSERT_EQ(read.Bytes, std::string(slice.begin(), slice.end()))
                << where << " symbol " << s;
            if (engine.Mode() == qrConnect) {
                EXPECT_EQ(read.SequenceIndex, s - 1) << where;
                EXPECT_EQ(read.SequenceSize, engine.Count()) << where;
                EXPECT_EQ(read.SequenceId, std::to_string(engine.Parity())) << where;
            }
        }
    }
    RecordProperty("symbols", symbols);
    RecordProperty("refused", refused);
    std::printf("soak: %d inputs, %d symbols read back, %d inputs refused as too long\n", cases,
                symbols, refused);
    // The lengths are drawn below capacity: refusals stay the exception.
    EXPECT_LT(refused, cases / 4);
}

} // namespace
} // namespace hardening
