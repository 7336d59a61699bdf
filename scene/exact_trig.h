// Correctly rounded sine and cosine in plain double arithmetic.
//
// The C libraries' sin and cos differ in the last bit between platforms
// (MinGW-w64 uses the x87 unit's instructions, glibc its own code), and the
// camera's eye must be the same float32 bits everywhere.  These return the
// double nearest the true value, computed with IEEE double additions and
// multiplications only, so every platform gets the same bits.
//
// Arguments: |x| <= exact_trig_limit (2^30 radians; the camera needs at most
// 2^20).  Beyond it, and for infinities and NaN, the result is NaN: an
// accurate reduction of such arguments would need far more of pi than this
// file holds, and a plausible but wrong number would be worse.
#pragma once

// 2^30: the largest |x| the argument reduction handles exactly (see reduce()).
constexpr double exact_trig_limit = 1073741824.0;

// The double nearest sin x; NaN when x is not finite or |x| > exact_trig_limit.
double exact_sin(double x);

// The double nearest cos x; NaN when x is not finite or |x| > exact_trig_limit.
double exact_cos(double x);
