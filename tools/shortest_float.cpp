#include "shortest_float.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A decimal with `digits` significant digits (no leading zero) times
// 10^(exponent - digits.size() + 1), i.e. d.ddd x 10^exponent.
struct decimal {
    std::string digits;
    int exponent;
};

// The nearest decimal of `precision` significant digits, correctly rounded
// by the C library from the float's exact value.
decimal nearest_decimal(float magnitude, int precision)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", precision - 1, static_cast<double>(magnitude));
    decimal made;
    const char* p = text;
    for (; *p && *p != 'e'; ++p) {
        if (*p != '.')
            made.digits += *p;
    }
    made.exponent = std::atoi(p + 1);
    return made;
}

// The next decimal up with as many digits (9.99 x 10^e becomes 1.00 x 10^(e+1)).
decimal next_decimal_up(decimal value)
{
    int i = static_cast<int>(value.digits.size()) - 1;
    while (i >= 0 && value.digits[i] == '9')
        value.digits[i--] = '0';
    if (i >= 0) {
        ++value.digits[i];
    } else {
        value.digits.insert(value.digits.begin(), '1');
        value.digits.pop_back();
        ++value.exponent;
    }
    return value;
}

std::string scientific_text(const decimal& value)
{
    std::string text(1, value.digits[0]);
    if (value.digits.size() > 1)
        text += "." + value.digits.substr(1);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%c%02d", value.exponent < 0 ? '-' : '+', std::abs(value.exponent));
    return text + exponent;
}

// Fixed notation; a whole number is written with all its digits, exact, as
// printf's %.0f writes it (the shortest digits say nothing about the rest).
std::string fixed_text(const decimal& value, float magnitude)
{
    const int count = static_cast<int>(value.digits.size());
    if (value.exponent < 0)
        return "0." + std::string(-value.exponent - 1, '0') + value.digits;
    if (value.exponent >= count - 1) {
        char text[64];
        std::snprintf(text, sizeof text, "%.0f", static_cast<double>(magnitude));
        return text;
    }
    return value.digits.substr(0, value.exponent + 1) + "." + value.digits.substr(value.exponent + 1);
}

bool reads_back_as(const decimal& value, float magnitude)
{
    return std::strtof(scientific_text(value).c_str(), nullptr) == magnitude;
}

}  // namespace

std::string shortest_float_text(float value)
{
    if (std::isnan(value) || std::isinf(value)) {
        char text[16];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
        return text;
    }
    const std::string sign = std::signbit(value) ? "-" : "";
    const float magnitude = std::fabs(value);
    if (magnitude == 0.0f)
        return sign + "0";
    for (int precision = 1; precision <= 9; ++precision) {
        decimal candidate = nearest_decimal(magnitude, precision);
        if (!reads_back_as(candidate, magnitude)) {
            // At a power of two the float below is closer than the one above,
            // so a decimal of this length may read back from above only.
            candidate = next_decimal_up(candidate);
            if (!reads_back_as(candidate, magnitude))
                continue;
        }
        const std::string fixed = fixed_text(candidate, magnitude);
        const std::string scientific = scientific_text(candidate);
        return sign + (scientific.size() < fixed.size() ? scientific : fixed);
    }
    return sign + scientific_text(nearest_decimal(magnitude, 9));
}
