// What the picture tests share: running frame_capture, scratch directories,
// and comparing pictures the way the golden tests do.
#pragma once

#include "png_file.h"

#include <string>
#include <vector>

// Two pictures match when at most this share of their pixels differ by more
// than `tolerated_levels` in any channel: loose enough for another
// rasteriser's rounding along edges, tight enough that a wrong camera step,
// colour or projection moves far more pixels than that.
constexpr double tolerated_share = 0.005;
constexpr int tolerated_levels = 8;

// The pixels where any channel differs by more than `levels`; -1 when the
// sizes differ.
long count_differing_pixels(const rgb_image& a, const rgb_image& b, int levels = tolerated_levels);

// True when `actual` matches `expected` within the golden tolerance.
bool pictures_match(const rgb_image& actual, const rgb_image& expected);

// A fresh empty directory, removed with everything in it when it goes.
class scratch_directory {
public:
    scratch_directory();
    ~scratch_directory();
    scratch_directory(const scratch_directory&) = delete;
    scratch_directory& operator=(const scratch_directory&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // The names in it, sorted.
    std::vector<std::string> names() const;

private:
    std::string path_;
};

// The frame_capture program under test.
const char* frame_capture_path();

// Draws frame `frame` of `program` with frame_capture into `out`; the
// program's error output, empty when it succeeded.
std::string capture_frame(const std::string& program, int frame, const std::string& out);
