#include <gtest/gtest.h>

#include "qr/engine/symbol_engine.h"
#include "tests/support/zbar_reader.h"
#include "tests/support/zxing_reader.h"

using namespace qr::engine;

TEST(RoundTrip, Smoke) {
    TQRSymbolEngine e;
    e.SetCode("HELLO WORLD");
    e.SetEclevel(1);
    e.DivideInput();
    e.CheckDivision();
    ASSERT_EQ(e.BuildSymbol(1), 0);
    auto dark = [&](int r, int c) { return e.IsDark(r, c); };
    auto z = test_support::ZxingReadModules(e.Modules(), dark);
    EXPECT_TRUE(z.Valid) << z.Error;
    EXPECT_EQ(z.Bytes, "HELLO WORLD");
    auto b = test_support::ZbarReadModules(e.Modules(), dark);
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(*b, "HELLO WORLD");
}
