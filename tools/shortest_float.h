// The shortest decimal text that reads back as the same float32, written as
// std::to_chars(first, last, value) writes it: the fewest significant digits
// that round-trip (the one nearest the value when several do), in fixed or
// scientific notation, whichever is shorter (fixed on a tie).
//
// Our own because the browser build's C++ library (Emscripten 3.1.6's libc++)
// has no floating-point to_chars; scene_probe prints the same text on every
// platform with it.
#pragma once

#include <string>

std::string shortest_float_text(float value);
