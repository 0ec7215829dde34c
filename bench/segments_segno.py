#!/usr/bin/python3
"""segno's symbols for varoku-bench-segments: one text per line of standard input (its
UTF-8 in hex), answered by the side of segno's QR symbol at level M (no error boost) and
its rows of 0 and 1. segno makes one segment of a text, in Shift-JIS when Latin-1 does
not hold it."""
import sys

import segno

for line in sys.stdin:
    text = bytes.fromhex(line.strip()).decode("utf-8")
    try:
        qr = segno.make_qr(text, error="m", boost_error=False)
    except Exception as e:  # a refusal is reported in its row
        print("0", type(e).__name__)
        continue
    rows = ["".join("1" if m else "0" for m in row) for row in qr.matrix]
    print(len(rows))
    print("\n".join(rows))
