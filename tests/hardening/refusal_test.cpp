// One character over capacity is refused cleanly everywhere a user meets it: the
// component draws no symbol and says so, varoku-qr exits 1 with a message and prints
// nothing.
#include <gtest/gtest.h>

#include <QApplication>

#include "qr/engine/symbol_tables.h"
#include "qr/qr_code.h"
#include "tests/cli/run_cli.h"
#include "tests/support/qt_app.h"

namespace hardening {
namespace {

struct TEdge {
    int version;
    int level;
    const char* levelName;
    int bytes = qr::engine::VersionTable[version].Levels[level].ModeCapacity[2];
};

const TEdge kEdges[] = {{1, 0, "L"},  {1, 3, "H"},  {5, 2, "Q"}, {10, 1, "M"},
                        {27, 3, "H"}, {40, 0, "L"}, {40, 3, "H"}};

TEST(Refusal, TheComponentDrawsNothingOneByteOverCapacity) {
    test_support::EnsureQtApp();
    for (const TEdge& e : kEdges) {
        qr::TQRCode code;
        code.SetSymbolEnabled(false);
        code.SetVersion(e.version);
        code.SetEclevel(e.level);
        code.SetEmode(2);
        code.SetCode(std::string(static_cast<std::size_t>(e.bytes), 'q'));
        code.SetSymbolEnabled(true);
        EXPECT_TRUE(code.SymbolDisped()) << e.version << "-" << e.levelName << " at capacity";
        code.SetCode(std::string(static_cast<std::size_t>(e.bytes + 1), 'q'));
        EXPECT_FALSE(code.SymbolDisped()) << e.version << "-" << e.levelName << " one byte over";
    }
}

TEST(Refusal, VarokuQrExitsOneAndPrintsNothingOneByteOverCapacity) {
    for (const TEdge& e : kEdges) {
        const std::vector<std::string> args{
            "--version", std::to_string(e.version), "--level", e.levelName, "--mode",
            "byte",      "--input-encoding",        "sjis"};
        const auto fits =
            cli_test::RunQr(args, std::string(static_cast<std::size_t>(e.bytes), 'q'));
        EXPECT_EQ(fits.Exit, 0) << e.version << "-" << e.levelName << ": " << fits.Err;
        const auto over =
            cli_test::RunQr(args, std::string(static_cast<std::size_t>(e.bytes + 1), 'q'));
        EXPECT_EQ(over.Exit, 1) << e.version << "-" << e.levelName;
        EXPECT_TRUE(over.Out.empty());
        EXPECT_NE(over.Err.find(std::to_string(e.bytes + 1)), std::string::npos)
            << "the message names the byte count: " << over.Err;
    }
}

} // namespace
} // namespace hardening
