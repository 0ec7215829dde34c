// The symbols every encoder builds in the benchmark, and the interface each encoder
// is driven through.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace bench {

struct TBenchCase {
    std::string Name; // "40-L 2953 bytes": version, level, content
    int Version;      // 1..40
    int Level;        // 0 L, 1 M, 2 Q, 3 H
    std::string Data; // exactly what every encoder is given
};

// The five cases. The byte cases fill their symbol to the last codeword, so an encoder
// that cannot hold the version and level it was given fails rather than grows.
const std::vector<TBenchCase>& BenchCases();

// One encoder under test. Prepare does the per-case set-up that a caller would do
// once; Build makes one complete symbol (data encoding, error correction, placement,
// automatic mask choice, format and version information) and is what is timed.
class TPeer {
public:
    virtual ~TPeer() = default;
    virtual void Prepare(const TBenchCase& c) = 0;
    // False when the encoder refused the data or produced another version.
    virtual bool Build() = 0;
    // The last symbol built, without quiet zone.
    virtual int Side() const = 0;
    virtual bool Dark(int row, int col) const = 0;
};

struct TPeerInfo {
    const char* Name;
    std::unique_ptr<TPeer> (*Make)();
};

// Ours first; the table's ratios are peer time over ours.
const std::vector<TPeerInfo>& Peers();

std::unique_ptr<TPeer> MakeVarokuPeer();
std::unique_ptr<TPeer> MakeQrencodePeer();
std::unique_ptr<TPeer> MakeQrcodegenPeer();
std::unique_ptr<TPeer> MakeZintPeer();
std::unique_ptr<TPeer> MakeZxingPeer();

// Decodes the symbol a peer just built with a real reader; empty when it carries the
// case's data at its version and level, else what is wrong.
std::string VerifySymbol(const TPeer& peer, const TBenchCase& c);

} // namespace bench
