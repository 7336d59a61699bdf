// 64-bit FNV-1a over the little-endian bytes of float32 values: the
// fingerprint that scene_probe prints and the tests compare, so any change of
// order, rounding or generator in the height field or vertex stream shows.
#pragma once

#include <cstdint>
#include <cstring>

struct fnv1a64 {
    std::uint64_t value = 0xcbf29ce484222325ull;

    void add(float f)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        for (int i = 0; i < 4; ++i) {
            value ^= (bits >> (8 * i)) & 0xFFu;
            value *= 0x100000001b3ull;
        }
    }
};

// A mesh sink that folds each vertex, R G B X Y Z, into the fingerprint.
struct fingerprint_sink {
    fnv1a64 hash;
    long long vertices = 0;

    void vertex(float red, float green, float blue, float x, float y, float z)
    {
        hash.add(red);
        hash.add(green);
        hash.add(blue);
        hash.add(x);
        hash.add(y);
        hash.add(z);
        ++vertices;
    }
};
