// The natural logarithm from IEEE-754 basic operations in a fixed order, so that it gives the
// same bits on every system, compiler and processor, which the C library's log does not promise.
#pragma once

// ln x within one unit in the last place. Subnormal x are taken; ±0 gives −infinity, +infinity
// itself, a negative x or NaN gives NaN, and 1 gives exactly +0.
double ExactLog(double x);
