// client_area_check PROGRAM FRAME SHOT.png: compares a picture of a window's
// client area taken elsewhere (the browser's canvas) with frame FRAME as
// frame_capture draws it on the desktop, cut to the 634x455 client area the
// window shows (the lower-left of the 640x480 viewport), under the golden
// pictures' tolerance.  Prints the count of differing pixels; exits 0 when
// they match, 1 when not (the desktop's cut is then left beside SHOT.png as
// SHOT.png.desktop.png, for a look), 2 on a wrong argument.

#include "picture_support.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: client_area_check PROGRAM FRAME SHOT.png\n");
        return 2;
    }
    const std::string program = argv[1], frame = argv[2], shot_path = argv[3];

    rgb_image shot;
    std::string error = read_png_file(shot_path, &shot);
    if (!error.empty()) {
        std::fprintf(stderr, "client_area_check: %s\n", error.c_str());
        return 1;
    }
    scratch_directory scratch;
    const std::string capture_path = scratch.file("capture.png");
    rgb_image capture;
    error = capture_frame(program, std::stoi(frame), capture_path);
    if (error.empty())
        error = read_png_file(capture_path, &capture);
    if (!error.empty()) {
        std::fprintf(stderr, "client_area_check: frame_capture %s %s: %s\n", program.c_str(), frame.c_str(),
                     error.c_str());
        return 1;
    }

    // The viewport's top rows and right columns lie outside the client area.
    constexpr int client_width = 634, client_height = 455;
    rgb_image client;
    client.width = client_width;
    client.height = client_height;
    const int top = capture.height - client_height;
    for (int y = 0; y < client_height; ++y)
        client.pixels.insert(client.pixels.end(), capture.pixel(0, top + y), capture.pixel(0, top + y) + client_width * 3);

    const long differing = count_differing_pixels(shot, client);
    const bool match = pictures_match(shot, client);
    std::printf("%s frame %s: %ld of %d pixels differ by more than %d levels (%s)\n", program.c_str(), frame.c_str(),
                differing, client_width * client_height, tolerated_levels,
                differing < 0 ? "sizes differ" : match ? "match" : "too many");
    if (!match)
        write_png_file(shot_path + ".desktop.png", client);
    return match ? 0 : 1;
}
