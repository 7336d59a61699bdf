#!/usr/bin/env python3
"""Exact references for scene/exact_trig.cpp, from integer arithmetic only.

  trig_reference.py constants      the pieces of pi/2 and the 1/n! pairs, as
                                   C++ hex-float lines for exact_trig.cpp
  trig_reference.py values X...    correctly rounded sin and cos of each X
                                   (a decimal, a hex float, or a fraction
                                   such as 14290857/16), as double bit patterns
  trig_reference.py hardest M      the m/32 (0 <= m <= M) nearest to a
                                   multiple of pi/2, and that distance

pi comes from Machin's formula in fixed point with FRAC_BITS fraction bits;
sin and cos from their Taylor series in the same fixed point.  Every result
is checked to round the same way at both ends of its error bound.
"""

from fractions import Fraction
import math
import sys

FRAC_BITS = 600  # fixed-point fraction bits; every error below is a few units of 2^-600
ONE = 1 << FRAC_BITS


def atan_inverse(n):
    """atan(1/n) * 2^FRAC_BITS, within a few units."""
    total, power, k, sign = 0, ONE // n, 1, 1
    while power:
        total += sign * (power // k)
        power //= n * n
        k += 2
        sign = -sign
    return total


PI = 16 * atan_inverse(5) - 4 * atan_inverse(239)  # pi * 2^FRAC_BITS, within ~40 units
HALF_PI = PI // 2


def fixed(x):
    """The Fraction x * 2^FRAC_BITS, rounded down to an integer."""
    return (x.numerator << FRAC_BITS) // x.denominator


def sin_cos_fixed(x):
    """(sin x, cos x) * 2^FRAC_BITS for a Fraction x, within ~2^-(FRAC_BITS - 40) relative."""
    k = round(x / Fraction(HALF_PI, ONE))
    r = fixed(x) - k * HALF_PI
    negative, r = r < 0, abs(r)
    s, c = 0, 0
    term, n = ONE, 0  # r^n / n! in fixed point
    while term:
        if n % 4 == 0:
            c += term
        elif n % 4 == 1:
            s += term
        elif n % 4 == 2:
            c -= term
        else:
            s -= term
        n += 1
        term = term * r // ONE // n
    if negative:
        s = -s
    return [(s, c), (c, -s), (-s, -c), (-c, s)][k % 4]


def rounded(value, slack=1 << 60):
    """The double nearest value * 2^-FRAC_BITS, refusing if the error could change it."""
    if value == 0:  # only sin 0 is exactly zero
        return 0.0
    low = float(Fraction(value - slack, ONE))
    high = float(Fraction(value + slack, ONE))
    if low != high:
        raise ValueError("too close to a rounding boundary to decide")
    return low


def parse(text):
    if "/" in text:
        return Fraction(text)
    if "0x" in text.lower():
        return Fraction(float.fromhex(text))
    return Fraction(float(text))


def bits(value):
    return "0x%016x" % int.from_bytes(__import__("struct").pack(">d", value), "big")


def double_pair(x):
    """x as the nearest double hi and the double nearest x - hi."""
    hi = float(x)
    return hi, float(x - Fraction(hi))


def print_constants():
    print("// pi/2 in 23-bit pieces, each rounded down: p[i] holds bits 23i .. 23i+22.")
    remainder = Fraction(HALF_PI, ONE)
    for i in range(10):
        scale = 2 ** (22 + 23 * i)
        piece = Fraction(math.floor(remainder * scale), scale)
        remainder -= piece
        print("    %s," % float(piece).hex())
    print("// 1/n! as (nearest double, nearest double to the rest), n = 0 ..")
    for n in range(32):
        hi, lo = double_pair(Fraction(1, math.factorial(n)))
        print("    {%s, %s},  // 1/%d!" % (hi.hex(), lo.hex(), n))


def print_values(args):
    for text in args:
        x = parse(text)
        s, c = sin_cos_fixed(x)
        print("%s  x=%s  sin=%s (%r)  cos=%s (%r)" % (
            text, float(x).hex(), bits(rounded(s)), rounded(s), bits(rounded(c)), rounded(c)))


def print_hardest(limit):
    """Scans k; for each k the nearest m is round(k * 16 pi)."""
    sixteen_pi = Fraction(16 * PI, ONE)
    best = None
    k = 1
    while k * sixteen_pi <= limit + 1:
        m = round(k * sixteen_pi)
        if m <= limit:
            distance = abs(Fraction(m, 32) - k * Fraction(HALF_PI, ONE))
            if best is None or distance < best[0]:
                best = (distance, m, k)
        k += 1
    distance, m, k = best
    print("m=%d k=%d  m/32 - k*pi/2 ~ 2^%.2f" % (m, k, math.log2(distance)))


if __name__ == "__main__":
    if len(sys.argv) == 2 and sys.argv[1] == "constants":
        print_constants()
    elif len(sys.argv) >= 3 and sys.argv[1] == "values":
        print_values(sys.argv[2:])
    elif len(sys.argv) == 3 and sys.argv[1] == "hardest":
        print_hardest(int(sys.argv[2]))
    else:
        sys.exit(__doc__)
