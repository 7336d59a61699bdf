// Reading the FRAME argument of the tools: a whole number from 0 to 2^31 - 1.
#pragma once

#include <charconv>
#include <cstring>

// Digits only, at most 2^31 - 1; false for anything else (signs, spaces,
// empty text, overflow).
inline bool parse_frame_number(const char* text, long long* frame)
{
    const char* end = text + std::strlen(text);
    if (text == end || *text < '0' || *text > '9')
        return false;
    auto [stop, error] = std::from_chars(text, end, *frame);
    return error == std::errc() && stop == end && *frame <= 2147483647LL;
}
