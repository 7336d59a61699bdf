#include "picture_support.h"

#include "run_program.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <ftw.h>
#include <unistd.h>

long count_differing_pixels(const rgb_image& a, const rgb_image& b, int levels)
{
    if (a.width != b.width || a.height != b.height)
        return -1;
    long differing = 0;
    const size_t pixels = static_cast<size_t>(a.width) * a.height;
    for (size_t i = 0; i < pixels; ++i) {
        for (int channel = 0; channel < 3; ++channel) {
            if (std::abs(a.pixels[i * 3 + channel] - b.pixels[i * 3 + channel]) > levels) {
                ++differing;
                break;
            }
        }
    }
    return differing;
}

bool pictures_match(const rgb_image& actual, const rgb_image& expected)
{
    const long differing = count_differing_pixels(actual, expected);
    return differing >= 0 &&
           differing <= static_cast<long>(tolerated_share * expected.width * expected.height);
}

scratch_directory::scratch_directory()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/picture-test-XXXXXX";
    if (mkdtemp(&pattern[0]))
        path_ = pattern;
}

static int remove_entry(const char* path, const struct stat*, int, struct FTW*)
{
    return ::remove(path);
}

scratch_directory::~scratch_directory()
{
    if (!path_.empty())
        nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

std::vector<std::string> scratch_directory::names() const
{
    std::vector<std::string> found;
    if (DIR* directory = opendir(path_.c_str())) {
        while (dirent* entry = readdir(directory)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                found.push_back(name);
        }
        closedir(directory);
    }
    std::sort(found.begin(), found.end());
    return found;
}

const char* frame_capture_path()
{
    return FRAME_CAPTURE;
}

std::string capture_frame(const std::string& program, int frame, const std::string& out)
{
    const program_run run = run_program({FRAME_CAPTURE, program, std::to_string(frame), out});
    if (run.exit_status == 0)
        return "";
    return run.error_output.empty() ? "frame_capture failed without a word" : run.error_output;
}
