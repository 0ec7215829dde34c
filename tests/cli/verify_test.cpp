// --verify: every picture type reads back, what a phone cannot read or shows otherwise is
// refused and not written, and a corrupted picture is caught by the same check.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "cli/png_writer.h"
#include "cli/verify.h"
#include "qr/engine/raster.h"
#include "qr/engine/symbol_set.h"
#include "tests/cli/run_cli.h"

namespace cli_test {
namespace {

const std::string kLong = "東京タワーの展望台で待ち合わせ " + std::string(260, 'x');

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

TEST(VarokuQrVerify, EveryTypeReadsBack) {
    TScratchDir dir;
    const std::vector<std::vector<std::string>> rows = {
        {"-o", "a.png", "東京タワー"},
        {"-o", "a.png", "--count", "3", "--split", "connect", "--angle", "90", "--mirror", kLong},
        {"-o", "a.png", "--count", "3", "--split", "plus", "--columns", "2", kLong},
        {"-o", "a.png", "--comment-up", "上", "--numbering", "head", "--count", "2", kLong},
        {"-o", "a.svg", "--angle", "270", kLong},
        {"-o", "a.pdf", "--count", "2", kLong},
        {"-o", "a.pbm", "--count", "2", kLong},
        // UTF-8 cut among symbols only between characters (each symbol reads by itself).
        {"-o", "a.png", "--encoding", "utf8", "--count", "7", kLong},
        {"-t", "utf8", "-o", "a.txt", "ｱｲｳ"},
        {"-t", "pbm-text", "-o", "a.txt", "--binary", "~0D0A~"},
        {"mail", "--to", "taro@example.jp", "--body", "明日; 十時", "-o", "a.png"},
        {"card", "--family", "山田", "--given", "太郎", "--carrier", "smartphone", "--memo", "🍣",
         "-o", "a.png"},
    };
    for (auto args : rows) {
        args.insert(args.begin() + (args[0][0] == '-' ? 0 : 1), "--verify");
        const TRun r = RunQr(args, {}, dir.Path());
        EXPECT_EQ(r.Exit, 0) << args.back() << ": " << r.Err;
    }
}

TEST(VarokuQrVerify, RefusesWhatAPhoneWouldNotShowAndWritesNothing) {
    TScratchDir dir;
    WriteFile(dir.Path() + "/old.png", "old");
    // Too little contrast for a reader.
    TRun r = RunQr({"--verify", "--fg", "#dddddd", "-o", "old.png", "hello"}, {}, dir.Path());
    EXPECT_EQ(r.Exit, 1);
    EXPECT_EQ(r.Err, "varoku-qr: --verify: symbol 1 does not read back\n");
    EXPECT_EQ(ReadFile(dir.Path() + "/old.png"), "old");
    // Shift-JIS half-width kana announced as Latin-1: the bytes are whole, the text is not.
    r = RunQr({"--verify", "--eci", "3", "-o", "k.png", "ｱｲｳ"}, {}, dir.Path());
    EXPECT_EQ(r.Exit, 1);
    EXPECT_NE(r.Err.find("a phone shows other text than was typed (field 本文, character 1: "
                         "typed \"ｱｲｳ\", a phone shows \"±²³\")"),
              std::string::npos)
        << r.Err;
    EXPECT_FALSE(Exists(dir.Path() + "/k.png"));
    // A batch names the line and goes on.
    WriteFile(dir.Path() + "/lines.txt", "ok\nｱｲｳ\nok too\n");
    r = RunQr({"batch", "--verify", "--eci", "3", "lines.txt", "-o", "out"}, {}, dir.Path());
    EXPECT_EQ(r.Exit, 1);
    EXPECT_NE(r.Err.find("line 2: --verify: a phone shows"), std::string::npos) << r.Err;
    EXPECT_TRUE(Exists(dir.Path() + "/out/1.pbm"));
    EXPECT_FALSE(Exists(dir.Path() + "/out/2.pbm"));
}

// The check --verify runs, on pictures corrupted after drawing.
struct TPicture {
    qr::engine::TSymbolModules Set;
    qr::engine::TModuleGrid Grid;
};

TPicture Drawn(const std::string& code, int count) {
    qr::engine::TQRSymbolEngine engine;
    qr::engine::TQRSetRequest request;
    request.Count = count;
    request.Mode = count > 1 ? qr::engine::qrConnect : qr::engine::qrSingle;
    TPicture p;
    p.Set = qr::engine::BuildSymbolSet(engine, request, code).Symbols;
    p.Grid = qr::engine::LayOutSymbols(p.Set, {4, qr::engine::kQuietZone, 0, false});
    return p;
}

std::string Verify(const TPicture& p, const std::string& code, bool linked) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < p.Grid.Height; ++y)
        for (int x = 0; x < p.Grid.Width; ++x)
            pixels.push_back(p.Grid.IsDark(x, y) ? 0xFF000000 : 0xFFFFFFFF);
    const std::string png =
        cli::EncodePng(p.Grid.Width, p.Grid.Height, pixels.data(), p.Grid.Width);
    const cli::TDrawing drawing;
    cli::TVerifyRequest v;
    v.Bytes = png;
    v.Symbols = &p.Set;
    v.Drawing = &drawing;
    v.Pxmag = 1;
    v.Linked = linked;
    v.Payload = code;
    return cli::VerifyPicture(v).Error;
}

void Flip(TPicture& p, int symbol, int row, int column) {
    const int cell = p.Set.Side + 2 * qr::engine::kQuietZone;
    const int x = (symbol - 1) * cell + qr::engine::kQuietZone + column;
    const int y = qr::engine::kQuietZone + row;
    auto& m = p.Grid.Dark[static_cast<std::size_t>(y) * p.Grid.Width + x];
    m = !m;
}

TEST(VarokuQrVerify, CatchesACorruptedPicture) {
    const std::string code = std::string(180, 'a') + "0123456789";
    TPicture clean = Drawn(code, 2);
    EXPECT_EQ(Verify(clean, code, true), "");

    TPicture flipped = clean;
    for (int r = 9; r < flipped.Set.Side - 9; ++r)
        for (int c = 9; c < 21; ++c)
            Flip(flipped, 2, r, c);
    EXPECT_EQ(Verify(flipped, code, true), "symbol 2 does not read back");

    // The two symbols drawn in each other's place.
    TPicture swapped = clean;
    const int cell = swapped.Set.Side + 2 * qr::engine::kQuietZone;
    for (int y = 0; y < swapped.Grid.Height; ++y)
        for (int x = 0; x < cell; ++x)
            std::swap(
                swapped.Grid.Dark[static_cast<std::size_t>(y) * swapped.Grid.Width + x],
                swapped.Grid.Dark[static_cast<std::size_t>(y) * swapped.Grid.Width + x + cell]);
    EXPECT_EQ(Verify(swapped, code, true), "symbol 1 reads back as symbol 2 of the set");

    // Another mask over the data than the format bits name: (r + c) even and r even
    // differ where both r and c are odd. Version 1 has no alignment pattern.
    const std::string shortCode = "HELLO 12345";
    TPicture masked = Drawn(shortCode, 1);
    ASSERT_EQ(masked.Set.Side, 21);
    for (int r = 1; r < 21; r += 2)
        for (int c = 1; c < 21; c += 2) {
            const bool function =
                (r < 9 && c < 9) || (r < 9 && c >= 13) || (r >= 13 && c < 9) || r == 6 || c == 6;
            if (!function) Flip(masked, 1, r, c);
        }
    EXPECT_EQ(Verify(masked, shortCode, false), "symbol 1 does not read back");
}

} // namespace
} // namespace cli_test
