// Building symbols allocates nothing: every global allocation of this test program is
// counted while symbols are divided and built.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "qr/engine/bitstream.h"
#include "tests/engine/engine_test_util.h"

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};
} // namespace

void* operator new(std::size_t size) {
    if (gCounting.load(std::memory_order_relaxed))
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// Not inlined: a free() inlined next to an inlined new looks mismatched to the compiler.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace qr::engine;
using namespace engine_test;

namespace {

struct TCase {
    int version, eclevel, emode, masktype;
    TQRMode mode;
    int count;
    std::string data;
    TQRSegments segments = sgGreedy;
    int eci = kEciNone;
};

TEST(Allocation, DividingAndBuildingSymbolsAllocatesNothing) {
    // The counter itself must see allocations, or a zero below would prove nothing.
    gCounting = true;
    auto probe = std::make_unique<int>(1);
    gCounting = false;
    ASSERT_EQ(gAllocations.exchange(0), 1);

    TInputMaker make(99);
    std::vector<TCase> cases;
    for (int v = 1; v <= 40; v += 3)
        for (int l = 0; l < 4; ++l) {
            const int bytes = VersionTable[v].Levels[l].ModeCapacity[2];
            cases.push_back({v, l, -1, -1, qrSingle, 1, make.Mixed(make.Uniform(0, bytes / 2))});
            cases.push_back({v, l, 2, (v + l) % 8, qrSingle, 1, make.Binary(bytes)});
            cases.push_back({v, l, 0, -1, qrPlus, 3, make.Digits(3 * bytes)});
            cases.push_back({v, l, -1, l, qrConnect, 4, make.Kanji(bytes / 2) + "TAIL"});
            cases.push_back({v, l, -1, -1, qrSingle, 1, make.Mixed(make.Uniform(0, bytes / 2)),
                             sgOptimal, kEciAuto});
            cases.push_back({v, l, -1, l, qrConnect, 3, make.Mixed(bytes), sgOptimal, kEciAuto});
        }
    // Engines and their inputs are made before counting: only the prepared input may
    // grow with Code.
    std::vector<std::unique_ptr<TQRSymbolEngine>> engines;
    for (const TCase& c : cases) {
        auto e = std::make_unique<TQRSymbolEngine>();
        e->SetVersion(c.version);
        e->SetEclevel(c.eclevel);
        e->SetEmode(c.emode);
        e->SetMasktype(c.masktype);
        e->SetMode(c.mode);
        e->SetCount(c.count);
        e->SetSegments(c.segments);
        e->SetEci(c.eci);
        e->SetCode(c.data);
        engines.push_back(std::move(e));
    }
    std::vector<int> results;
    results.reserve(cases.size() * 8);

    gAllocations = 0;
    gCounting = true;
    for (auto& e : engines) {
        e->DivideInput();
        e->CheckDivision();
        for (int s = 1; s <= e->Count(); ++s)
            results.push_back(e->BuildSymbol(s));
        results.push_back(e->BuildSymbolFrom(e->Slice(1), 1));
    }
    gCounting = false;

    EXPECT_EQ(gAllocations.load(), 0);
    ASSERT_FALSE(results.empty());
    EXPECT_GT(std::count(results.begin(), results.end(), brBuilt),
              static_cast<long>(results.size() * 3 / 4));
}

} // namespace
