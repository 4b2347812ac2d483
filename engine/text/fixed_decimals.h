#pragma once

namespace hz {

// Rounds to the nearest integer, a tie going to the even neighbour: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
// Never returns -0.
double RoundHalfEven(double value);

// value held at `places` decimals (4 for unit costs, 2 for amounts, 0 to 9 allowed): value * 10^places rounded
// to the nearest integer with ties to the even neighbour, divided back. The rounding looks at the exact product
// of the binary value, as an extended-precision multiply-and-round does: 0.125 -> 0.12 and 0.375 -> 0.38 (true
// ties), but 1.005 -> 1.0 and 0.015 -> 0.01 (held as 1.00499... and 0.01499...) and 0.025 -> 0.03 (0.02500...1),
// even where the product rounded to double would land on the tie. Non-finite values come back unchanged.
double FixedDecimals(double value, int places);

} // namespace hz
