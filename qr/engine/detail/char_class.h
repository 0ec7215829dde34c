// The automatic analysis' view of one byte, for tests of the classification.
#pragma once

#include <cstdint>
#include <span>

namespace qr::engine {

// Class of the byte at pos: -1 past the end, else the cheapest TQREmode that carries it
// (emKanji only for the start of a complete pair).
int ClassAt(std::span<const std::uint8_t> bytes, int pos);

} // namespace qr::engine
