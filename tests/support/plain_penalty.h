// The mask penalty evaluated plainly, cell by cell and rule by rule: the reference the
// engine's bit-plane scoring must equal. (symbol_checker keeps its own copy apart.)
#pragma once

#include "qr/engine/matrix.h"

namespace test_support {

// Penalty of the N x N symbol as it stands, over the dark bits of all cells: the sum of
// the four rules below.
int MaskPenalty(const qr::engine::TQRMatrix& m, int n);

// Every maximal run of k >= 5 equal modules in a row or column adds 3 + (k - 5).
int PenaltyRuns(const qr::engine::TQRMatrix& m, int n);
// Every 2 x 2 square of one colour adds 3 (overlapping squares each count).
int PenaltyBlocks(const qr::engine::TQRMatrix& m, int n);
// Dark-light-dark-dark-dark-light-dark in a row or column, with a light module or the
// edge on both sides, adds 40.
int PenaltyFinders(const qr::engine::TQRMatrix& m, int n);
// 10 for every full 5 points by which the truncated dark percentage is away from 50.
int PlainDarkShare(int dark, int total);

} // namespace test_support
