// Arbitrary bytes and arbitrary property writes, in any order, never break the engine:
// every division passes its own check, every build returns 0 or -1, and what is built
// reads back.
#include <gtest/gtest.h>

#include <memory>

#include "qr/engine/bitstream.h"
#include "qr/engine/detail/char_class.h"
#include "tests/engine/engine_test_util.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

std::string RandomCode(TInputMaker& make) {
    switch (make.Uniform(0, 5)) {
    case 0:
        return make.Binary(make.Uniform(0, 300));
    case 1:
        return make.Mixed(make.Uniform(0, 400));
    case 2: { // escapes, well-formed or not
        std::string s;
        const int parts = make.Uniform(0, 12);
        for (int i = 0; i < parts; ++i) {
            switch (make.Uniform(0, 4)) {
            case 0:
                s += "~" + std::string(make.Uniform(0, 1) ? "1b" : "0D0A") + "~";
                break;
            case 1:
                s += "~~";
                break;
            case 2:
                s += "~";
                break;
            case 3:
                s += "~" + make.Binary(make.Uniform(0, 4)) + "~";
                break;
            default:
                s += make.Alnum(make.Uniform(0, 9));
                break;
            }
        }
        return s;
    }
    case 3:
        return make.Digits(make.Uniform(0, 2000));
    case 4:
        return make.Kanji(make.Uniform(0, 200)) + make.Binary(make.Uniform(0, 1));
    default:
        return std::string(static_cast<std::size_t>(make.Uniform(0, 3)), '\0');
    }
}

TEST(Robustness, RandomPropertyWritesAndBuilds) {
    TInputMaker make(2024);
    auto e = std::make_unique<TQRSymbolEngine>();
    int built = 0, read = 0;
    for (int step = 0; step < 20000; ++step) {
        switch (make.Uniform(0, 15)) {
        case 0:
            e->SetCode(RandomCode(make));
            break;
        case 1:
            e->SetBinaryOperation(make.Uniform(0, 1) == 1);
            break;
        case 2:
            e->SetMode(static_cast<TQRMode>(make.Uniform(0, 4)));
            break;
        case 3:
            e->SetCount(make.Uniform(-3, 1100));
            break;
        case 4:
            e->SetCount(make.Uniform(1, 6));
            break;
        case 5:
            e->SetColumn(make.Uniform(-3, 1100));
            break;
        case 6:
            e->SetVersion(make.Uniform(0, 3) ? make.Uniform(-2, 12) : make.Uniform(0, 45));
            break;
        case 7:
            e->SetEclevel(make.Uniform(-2, 5));
            break;
        case 8:
            e->SetEmode(make.Uniform(-3, 5));
            break;
        case 9:
            e->SetMasktype(make.Uniform(-3, 9));
            break;
        case 10:
            e->SetPxmag(make.Uniform(-1, 12));
            break;
        case 11:
            e->SetDesignMode(make.Uniform(0, 9) == 0);
            break;
        case 12: {
            e->DivideInput();
            ASSERT_NO_THROW(e->CheckDivision()) << "step " << step;
            ASSERT_EQ(e->Offset(0), 0);
            ASSERT_EQ(e->Offset(e->Count()), e->Len());
            break;
        }
        case 13: {
            const int s = make.Uniform(-1, e->Count() + 2);
            const TQRBuildResult r = e->BuildSymbol(s);
            ASSERT_TRUE(r == brBuilt || r == brNotEncoded || r == brNotLoaded);
            if (s < 1 || s > e->Count()) {
                ASSERT_EQ(r, brNotLoaded) << "step " << step;
            }
            if (r != brBuilt) break;
            ++built;
            const int n = e->Modules();
            EXPECT_FALSE(e->IsDark(-1, 0) || e->IsDark(0, n) || e->IsDark(n, n) ||
                         e->IsDark(0, -7));
            EXPECT_TRUE(e->IsDark(n - 8, 8));
            if (e->Version() <= 10) {
                const auto z = ReadZxing(*e);
                ASSERT_TRUE(z.Valid) << "step " << step << ": " << z.Error;
                EXPECT_EQ(z.Bytes, AsString(e->Slice(s)));
                ++read;
            }
            break;
        }
        case 14: {
            const std::string bytes =
                make.Binary(make.Uniform(0, 2) ? make.Uniform(0, 200) : make.Uniform(7080, 7100));
            const TQRBuildResult r = e->BuildSymbolFrom(AsBytes(bytes), make.Uniform(1, 16));
            EXPECT_EQ(r == brNotLoaded, bytes.size() > 7089) << "step " << step;
            break;
        }
        default:
            if (e->Count() <= 6 && e->Version() <= 12) {
                const auto& lines = e->PBM();
                ASSERT_GE(lines.size(), 3u);
                EXPECT_EQ(lines[0], "P1");
            }
            EXPECT_GE(e->Capacity(), 0);
            (void)e->Slice(make.Uniform(-2, 1030));
            (void)e->Offset(make.Uniform(-2, 1030));
            break;
        }
    }
    EXPECT_GT(built, 200);
    EXPECT_GT(read, 100);
}

// Automatic analysis of arbitrary bytes covers them exactly, in segments its own cost
// function accepts.
TEST(Robustness, SegmentsCoverArbitraryBytes) {
    TInputMaker make(7);
    for (int round = 0; round < 3000; ++round) {
        const std::string text =
            round % 2 ? make.Binary(make.Uniform(0, 60)) : make.Mixed(make.Uniform(0, 60));
        const auto bytes = AsBytes(text);
        const TQRVersionInfo& info = VersionTable[make.Uniform(1, 40)];
        int pos = 0, mode = -1;
        while (pos < static_cast<int>(bytes.size())) {
            const int n = NextSegment(info, bytes, pos, mode);
            ASSERT_GT(n, 0);
            ASSERT_LE(pos + n, static_cast<int>(bytes.size()));
            for (int i = pos; i < pos + n; ++i) {
                const int cls = ClassAt(bytes, i);
                if (mode == 0) {
                    ASSERT_EQ(cls, 0);
                }
                if (mode == 1) {
                    ASSERT_LE(cls, 1);
                }
            }
            if (mode == 3) {
                ASSERT_EQ(n % 2, 0);
                for (int i = pos; i < pos + n; i += 2)
                    ASSERT_EQ(ClassAt(bytes, i), 3);
            }
            pos += n;
        }
    }
}

} // namespace
