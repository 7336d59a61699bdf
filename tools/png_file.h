// 8-bit RGB pictures and the PNG files that hold them (libpng).
#pragma once

#include <string>
#include <vector>

// A picture as it is shown: rows top to bottom, three bytes (R, G, B) a pixel.
struct rgb_image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;  // width * height * 3 bytes

    const unsigned char* pixel(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Writes `image` to `path` as an 8-bit RGB PNG.  The file is written under a
// temporary name beside `path` and renamed into place only when complete, so
// `path` either keeps what it held or gets the whole picture.  Returns an
// empty string when all went well, else why it failed ("cannot create
// build/x.png: Permission denied"); then no temporary file is left behind.
std::string write_png_file(const std::string& path, const rgb_image& image);

// Reads a PNG as 8-bit RGB; the values of an 8-bit RGB file come back as
// stored, other formats as libpng converts them.  Returns an empty string
// when all went well, else why it failed.
std::string read_png_file(const std::string& path, rgb_image* image);
