// The symbols as plain-text portable bitmap lines: " 1" dark, " 0" light or quiet zone.
#pragma once

#include <string>
#include <vector>

#include "qr/engine/input.h"
#include "qr/engine/matrix.h"

namespace qr::engine {

// Clears lines and adds the header: "P1", the mode line ("Single Mode (Count = 1)",
// "Connect Mode (Count = 3)", "Plus Mode (Count = 20)") and the size line "W W", where
// W = (n + 8) * pxmag for symbols of n modules.
void StartPbm(std::vector<std::string>& lines, int mode, int count, int n, int pxmag);

// Adds two empty lines and the picture of the N x N symbol in m: a 4-module quiet zone
// on every side, every module pxmag entries wide and pxmag lines high.
void AppendPbmSymbol(std::vector<std::string>& lines, const TQRMatrix& m, int n, int pxmag);

} // namespace qr::engine
