#include "symbol_sweep.h"

namespace hardening {

test_support::TZxingResult ReadBuilt(const TQRSymbolEngine& engine) {
    return test_support::ZxingReadModules(
        engine.Modules(), [&](int r, int c) { return engine.IsDark(r, c); }, 4, 2, true);
}

std::string RandomText(std::mt19937& rng, int kind, int length) {
    static constexpr char kAlnum[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    std::string s;
    auto kanji = [&] {
        // A lead of 0x81-0x9F or 0xE0-0xEA and any allowed trail.
        const int lead = rng() % 2 ? 0x81 + rng() % 31 : 0xE0 + rng() % 11;
        int trail = 0x40 + rng() % 189;
        if (trail == 0x7F) trail = 0x80;
        s += static_cast<char>(lead);
        s += static_cast<char>(trail);
    };
    while (static_cast<int>(s.size()) < length) {
        int k = kind == 4 ? static_cast<int>(rng() % 4) : kind;
        const int run = kind == 4 ? 1 + static_cast<int>(rng() % 12) : 1;
        for (int i = 0; i < run && static_cast<int>(s.size()) < length; ++i)
            switch (k) {
            case 0:
                s += static_cast<char>('0' + rng() % 10);
                break;
            case 1:
                s += kAlnum[rng() % 45];
                break;
            case 2:
                s += static_cast<char>(rng() % 256);
                break;
            default:
                if (static_cast<int>(s.size()) + 2 > length) {
                    s += 'A';
                    break;
                }
                kanji();
            }
    }
    return s;
}

} // namespace hardening
