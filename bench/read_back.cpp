// varoku-bench-read-back: what reading our own code back costs the window after 作成, in
// CPU time: four linked version-10 symbols and one version-40 symbol, drawn at the
// window's module size and read cell by cell as the window reads them, then the same
// code read whole (a saved picture, a printed page). Every run checks what it read.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "composer/payload.h"
#include "composer/read_back.h"
#include "qr/engine/raster.h"
#include "qr/engine/symbol_set.h"

namespace {

struct TPicture {
    std::vector<std::uint8_t> Grey;
    int Width = 0;
    int Height = 0;
    composer::TDrawnSymbols Drawn;
    int Symbols = 0;
};

// `count` symbols of `version` at level M, filled with Japanese mail text, two to a row,
// `px` pixels to the module.
TPicture Draw(int version, int count, int px) {
    qr::engine::TQRSymbolEngine engine;
    qr::engine::TQRSetRequest request;
    request.Version = version;
    request.Eclevel = qr::engine::ecM;
    request.Mode = count > 1 ? qr::engine::qrConnect : qr::engine::qrSingle;
    request.Count = count;
    // The longest run of a mail body the set holds: grow it until it no longer fits.
    const std::string unit = "MATMSG:TO:taro@example.jp;SUB:;BODY:";      // ASCII head
    const std::string kanji = "\x96\xbe\x93\xfa\x82\xcd\x89\xef\x8b\x63"; // 明日は会議
    std::string code = unit;
    qr::engine::TQRSetResult built;
    for (std::string next = code + kanji;; next += kanji) {
        auto attempt = qr::engine::BuildSymbolSet(engine, request, next + ";;");
        if (attempt.Status != qr::engine::ssBuilt) break;
        code = next;
        built = std::move(attempt);
    }
    code += ";;";
    TPicture p;
    const int column = count > 1 ? 2 : 1;
    const auto grid =
        qr::engine::LayOutSymbols(built.Symbols, {column, qr::engine::kQuietZone, 0, false});
    p.Width = grid.Width * px;
    p.Height = grid.Height * px;
    p.Grey.assign(static_cast<std::size_t>(p.Width) * p.Height, 255);
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x)
            if (grid.IsDark(x / px, y / px)) p.Grey[static_cast<std::size_t>(y) * p.Width + x] = 0;
    const int cell = built.Symbols.Side + 2 * qr::engine::kQuietZone;
    p.Symbols = static_cast<int>(built.Symbols.Built.size());
    p.Drawn.Bytes = code;
    p.Drawn.Linked = count > 1;
    p.Drawn.CellWidth = p.Drawn.CellHeight = cell * px;
    p.Drawn.Enlarge = (3 + px - 1) / px;
    for (int k = 0; k < p.Symbols; ++k)
        p.Drawn.Centres.push_back(
            {((k % column) * cell + cell / 2) * px, ((k / column) * cell + cell / 2) * px});
    return p;
}

void Check(benchmark::State& state, const composer::TReadCheck& check, const TPicture& p) {
    if (!check.Ok() || check.Bytes != p.Drawn.Bytes) {
        std::fprintf(stderr, "read back wrong: %s\n", composer::ReadCheckMessage(check).c_str());
        state.SkipWithError("read back wrong");
    }
}

void ByCell(benchmark::State& state) {
    const TPicture p = Draw(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                            composer::kComposerPxmag);
    for (auto _ : state) {
        const auto check = composer::ReadBack(p.Grey.data(), p.Width, p.Height, 0, p.Drawn);
        Check(state, check, p);
        benchmark::DoNotOptimize(check.Bytes.data());
    }
    state.SetLabel(std::to_string(p.Symbols) + " x version " + std::to_string(state.range(0)) +
                   ", " + std::to_string(p.Drawn.Bytes.size()) + " bytes");
}

void Whole(benchmark::State& state) {
    const TPicture p = Draw(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                            composer::kComposerPxmag);
    composer::TDrawnSymbols drawn = p.Drawn;
    drawn.Pad = 4;
    for (auto _ : state) {
        const auto check =
            composer::ReadPictures({{p.Grey.data(), p.Width, p.Height, 0}}, p.Symbols, drawn);
        Check(state, check, p);
        benchmark::DoNotOptimize(check.Bytes.data());
    }
}

// The same on an A4 page at four pixels to a module of 0.5 mm (203 dots an inch), as the
// window reads the pages it is about to print.
void Page(benchmark::State& state) {
    const TPicture p = Draw(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 4);
    const int width = 1680, height = 2376;
    std::vector<std::uint8_t> page(static_cast<std::size_t>(width) * height, 255);
    for (int y = 0; y < p.Height && y < height; ++y)
        std::copy_n(p.Grey.begin() + static_cast<std::ptrdiff_t>(y) * p.Width,
                    std::min(p.Width, width),
                    page.begin() + static_cast<std::ptrdiff_t>(y) * width);
    composer::TDrawnSymbols drawn = p.Drawn;
    drawn.Enlarge = 1;
    drawn.Pad = 4;
    for (auto _ : state) {
        const auto check =
            composer::ReadPictures({{page.data(), width, height, 0}}, p.Symbols, drawn);
        Check(state, check, p);
        benchmark::DoNotOptimize(check.Bytes.data());
    }
}

BENCHMARK(ByCell)->Args({10, 4})->Args({40, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(Whole)->Args({10, 4})->Args({40, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(Page)->Args({10, 4})->Args({40, 1})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
