#include "bench/cases.h"

#include <cstdint>

namespace bench {

namespace {

// Text that every encoder must carry in 8-bit mode: no digits, capitals or spaces,
// so no encoder can find a cheaper segmentation than the byte capacity assumes.
std::string ByteText(int n) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz,;!?'()_";
    std::string s;
    std::uint32_t x = 12345;
    for (int i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        s += kLetters[(x >> 16) % (sizeof kLetters - 1)];
    }
    return s;
}

std::string Digits(int n) {
    std::string s;
    std::uint32_t x = 4711;
    for (int i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        s += static_cast<char>('0' + (x >> 16) % 10);
    }
    return s;
}

} // namespace

const std::vector<TBenchCase>& BenchCases() {
    static const std::vector<TBenchCase> cases{
        {"1-M HELLO WORLD", 1, 1, "HELLO WORLD"},   {"10-L 271 bytes", 10, 0, ByteText(271)},
        {"40-L 2953 bytes", 40, 0, ByteText(2953)}, {"40-H 1273 bytes", 40, 3, ByteText(1273)},
        {"20-M 1000 digits", 20, 1, Digits(1000)},
    };
    return cases;
}

const std::vector<TPeerInfo>& Peers() {
    static const std::vector<TPeerInfo> peers{
        {"varoku", MakeVarokuPeer},       {"libqrencode", MakeQrencodePeer},
        {"qrcodegen", MakeQrcodegenPeer}, {"zint", MakeZintPeer},
        {"zxing-cpp", MakeZxingPeer},
    };
    return peers;
}

} // namespace bench
