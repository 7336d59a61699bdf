#include "exact_trig.h"

#include <cmath>
#include <limits>

// Method: reduce x by the nearest multiple k of pi/2 to r = x - k pi/2 with
// |r| <= pi/4, then sum the Taylor series of sin r or cos r, choosing which
// and its sign from k mod 4.  Every quantity is a double-double (hi + lo,
// about 106 bits), and the result is rounded to double once, at the end.
// The total error stays below about 2^-98 of the result, so the rounding
// could only go wrong for a true value within that distance of a midpoint
// between two doubles.  The build keeps -ffp-contract=off: a fused
// multiply-add would change the error terms below on some platforms only.
//
// The constants come from tools/trig_reference.py constants, which computes
// pi (Machin's formula) and 1/n! with integers and prints them as hex floats.

namespace {

// A double-double: the value hi + lo, with |lo| at most half an ulp of hi.
struct dd {
    double hi;
    double lo;
};

// pi/2 cut into ten pieces of at most 23 significant bits, each rounded down,
// covering 230 bits.  For |k| < 2^30 every k * piece is an exact double.
const double half_pi_pieces[] = {
    0x1.921fb40000000p+0,  0x1.4442d00000000p-24, 0x1.8469800000000p-48, 0x1.3198a00000000p-69,
    0x1.701b800000000p-92, 0x1.cd12900000000p-115, 0x1.2704400000000p-142, 0x1.4cf9800000000p-164,
    0x1.d008280000000p-185, 0x1.bea6380000000p-207,
};

// 2/pi rounded to double: only picks k, so its own error does not matter.
constexpr double two_over_pi = 0x1.45f306dc9c883p-1;

// 1/n! for n = 0 .. 29: the nearest double, then the double nearest the rest.
// Up to 1/29! the series leave out less than 2^-109 of sin r and of cos r.
const dd inverse_factorial[] = {
    {0x1.0000000000000p+0, 0x0.0p+0},                      // 1/0!
    {0x1.0000000000000p+0, 0x0.0p+0},                      // 1/1!
    {0x1.0000000000000p-1, 0x0.0p+0},                      // 1/2!
    {0x1.5555555555555p-3, 0x1.5555555555555p-57},         // 1/3!
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},         // 1/4!
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},         // 1/5!
    {0x1.6c16c16c16c17p-10, -0x1.f49f49f49f49fp-65},       // 1/6!
    {0x1.a01a01a01a01ap-13, 0x1.a01a01a01a01ap-73},        // 1/7!
    {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},        // 1/8!
    {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},       // 1/9!
    {0x1.27e4fb7789f5cp-22, 0x1.cbbc05b4fa99ap-76},        // 1/10!
    {0x1.ae64567f544e4p-26, -0x1.c062e06d1f209p-80},       // 1/11!
    {0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},       // 1/12!
    {0x1.6124613a86d09p-33, 0x1.f28e0cc748ebep-87},        // 1/13!
    {0x1.93974a8c07c9dp-37, 0x1.05d6f8a2efd1fp-92},        // 1/14!
    {0x1.ae7f3e733b81fp-41, 0x1.1d8656b0ee8cbp-97},        // 1/15!
    {0x1.ae7f3e733b81fp-45, 0x1.1d8656b0ee8cbp-101},       // 1/16!
    {0x1.952c77030ad4ap-49, 0x1.ac981465ddc6cp-103},       // 1/17!
    {0x1.6827863b97d97p-53, 0x1.eec01221a8b0bp-107},       // 1/18!
    {0x1.2f49b46814157p-57, 0x1.2650f61dbdcb4p-112},       // 1/19!
    {0x1.e542ba4020225p-62, 0x1.ea72b4afe3c2fp-120},       // 1/20!
    {0x1.71b8ef6dcf572p-66, -0x1.d043ae40c4647p-120},      // 1/21!
    {0x1.0ce396db7f853p-70, -0x1.aebcdbd20331cp-124},      // 1/22!
    {0x1.761b41316381ap-75, -0x1.3423c7d91404fp-130},      // 1/23!
    {0x1.f2cf01972f578p-80, -0x1.9ada5fcc1ab14p-135},      // 1/24!
    {0x1.3f3ccdd165fa9p-84, -0x1.58ddadf344487p-139},      // 1/25!
    {0x1.88e85fc6a4e5ap-89, -0x1.71c37ebd16540p-143},      // 1/26!
    {0x1.d1ab1c2dccea3p-94, 0x1.054d0c78aea14p-149},       // 1/27!
    {0x1.0a18a2635085dp-98, 0x1.b9e2e28e1aa54p-153},       // 1/28!
    {0x1.259f98b4358adp-103, 0x1.eaf8c39dd9bc5p-157},      // 1/29!
};
constexpr int highest_term = 29;

// Below this |x|, sin x rounds to x and cos x to 1: the next terms of the
// series, x^3/6 and x^2/2, are under a quarter ulp.  Also keeps the products
// below away from subnormals.
constexpr double tiny_argument = 0x1p-27;

}  // namespace

// a + b exactly, as a double-double (Knuth's two-sum: any magnitudes).
static dd two_sum(double a, double b)
{
    const double s = a + b;
    const double b_part = s - a;
    const double a_part = s - b_part;
    return {s, (a - a_part) + (b - b_part)};
}

// a + b exactly, given |a| >= |b| or a == 0 (Dekker's fast two-sum).
static dd fast_two_sum(double a, double b)
{
    const double s = a + b;
    return {s, b - (s - a)};
}

// a cut into two halves of at most 26 bits whose products are exact
// (Veltkamp's splitting; |a| here is far from overflow).
static dd split(double a)
{
    const double c = 134217729.0 * a;  // 2^27 + 1
    const double hi = c - (c - a);
    return {hi, a - hi};
}

// a * b exactly, as a double-double, without a fused multiply-add (Dekker).
static dd two_product(double a, double b)
{
    const double p = a * b;
    const dd x = split(a);
    const dd y = split(b);
    const double error = ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo;
    return {p, error};
}

// a + b, to about 2^-104 of the sum, with cancellation or without.
static dd add(dd a, dd b)
{
    dd high = two_sum(a.hi, b.hi);
    const dd low = two_sum(a.lo, b.lo);
    high = fast_two_sum(high.hi, high.lo + low.hi);
    return fast_two_sum(high.hi, high.lo + low.lo);
}

// a * b, to about 2^-104 of the product.
static dd multiply(dd a, dd b)
{
    const dd p = two_product(a.hi, b.hi);
    return fast_two_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// -a, exactly.
static dd negate(dd a)
{
    return {-a.hi, -a.lo};
}

// r = ax - k pi/2 for the integer k nearest ax * 2/pi, 0 <= ax <= 2^30.
//
// Why this is exact enough: k < 2^30 and every piece has at most 23 bits,
// so each k * piece is an exact double.  ax - k * piece[0] is exact
// (Sterbenz: the two are within a factor of 2), and while the running value
// is large the next steps are exact too, since it lies on the grid of the
// last piece's lowest bit with fewer than 53 bits above it.  Once a step is
// inexact, two_sum keeps its rounding error in lo, and the running value is
// already within 2^-22 of its final size, so no later cancellation can
// magnify the double-double's 2^-104 errors.  The pieces leave out under
// k * 2^-229 of pi/2, and no double below 2^30 lies nearer than 2^-61 to a
// multiple of pi/2 (continued fractions of pi/2 over each binade's ulp), so
// that costs r less than 2^-130 of itself.
static dd reduce(double ax, int& k)
{
    // Truncating a positive value rounds it down; an int conversion, not
    // std::floor, keeps the 32-bit build on SSE2 instead of a library call.
    k = static_cast<int>(ax * two_over_pi + 0.5);
    const double multiple = k;
    dd r = {ax, 0.0};
    for (double piece : half_pi_pieces) {
        const dd step = two_sum(r.hi, -(multiple * piece));
        r = fast_two_sum(step.hi, step.lo + r.lo);
    }
    return r;
}

// The series sum over n = first, first + 2, .. highest_term of
// (-1)^((n - first) / 2) r2^((n - first) / 2) / n!, by Horner's rule.
static dd alternating_series(dd r2, int first)
{
    int n = highest_term - (highest_term - first) % 2;
    dd sum = inverse_factorial[n];
    if ((n - first) % 4 == 2)
        sum = negate(sum);
    for (n -= 2; n >= first; n -= 2) {
        const dd term = (n - first) % 4 == 2 ? negate(inverse_factorial[n]) : inverse_factorial[n];
        sum = add(term, multiply(sum, r2));
    }
    return sum;
}

// sin r for |r| <= pi/4 (a little more is fine): r (1 - r^2/3! + r^4/5! - ..).
static dd sin_reduced(dd r)
{
    return multiply(r, alternating_series(multiply(r, r), 1));
}

// cos r for |r| <= pi/4: 1 - r^2/2! + r^4/4! - ..
static dd cos_reduced(dd r)
{
    return alternating_series(multiply(r, r), 0);
}

// sin |x| (cosine false) or cos |x| (cosine true) for tiny_argument <= |x| <= 2^30.
static double rounded_sin_or_cos(double ax, bool cosine)
{
    int k = 0;
    const dd r = reduce(ax, k);
    // sin(r + k pi/2) is sin r, cos r, -sin r, -cos r for k = 0, 1, 2, 3
    // (mod 4); cos(r + k pi/2) is sin(r + (k + 1) pi/2).
    const int quadrant = (k + (cosine ? 1 : 0)) & 3;
    dd value = quadrant % 2 == 0 ? sin_reduced(r) : cos_reduced(r);
    if (quadrant >= 2)
        value = negate(value);
    // value is normalised, so this is the one rounding of hi + lo to double.
    return value.hi + value.lo;
}

double exact_sin(double x)
{
    const double ax = std::fabs(x);
    if (!(ax <= exact_trig_limit))  // also NaN
        return std::numeric_limits<double>::quiet_NaN();
    if (ax < tiny_argument)
        return x;
    const double s = rounded_sin_or_cos(ax, false);
    return x < 0.0 ? -s : s;
}

double exact_cos(double x)
{
    const double ax = std::fabs(x);
    if (!(ax <= exact_trig_limit))
        return std::numeric_limits<double>::quiet_NaN();
    if (ax < tiny_argument)
        return 1.0;
    return rounded_sin_or_cos(ax, true);
}
