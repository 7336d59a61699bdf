// frame_capture NAME FRAME OUT.png: draws frame FRAME of viewer NAME without
// a display and writes the picture its whole viewport holds as a PNG.
//
// The frame goes through the viewers' own code: the host's start-up (camera,
// height field from a fresh generator, window, pixel format, projection and
// render state), the camera after FRAME advances, and the host's draw_frame,
// on Mesa's software OpenGL behind SDL's offscreen driver.
//
// Why a bigger window: the viewers' viewport has the size of their whole
// window, so on screen its top rows and right-hand columns lie under the
// caption and frame, and only the client area is seen.  Here the host makes
// its window with an outer size whose client area is exactly the viewport
// (the layer's fixed caption and frame added), so the offscreen driver's
// pbuffer holds the whole viewport and nothing else.  An offscreen
// framebuffer object would need GL beyond 1.1 and a second drawing path; the
// bigger window keeps the host's calls unchanged.

#include "failure_text.h"
#include "frame_driver.h"
#include "frame_number.h"
#include "png_file.h"
#include "render_context.h"
#include "run_viewer.h"
#include "variant_params.h"
#include "viewer_window.h"
#include "window_frame.h"

#include <windows.h>

#include <GL/gl.h>
#include <SDL.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static int usage()
{
    std::fprintf(stderr, "usage: frame_capture terrain320|terrain128|terrain32 FRAME (0 to 2147483647) OUT.png\n");
    return 2;
}

// "frame_capture: what: cause", or without the cause when there is none.
static int report(const char* what, const char* cause)
{
    if (cause && cause[0] != '\0')
        std::fprintf(stderr, "frame_capture: %s: %s\n", what, cause);
    else
        std::fprintf(stderr, "frame_capture: %s\n", what);
    return 1;
}

// NULL when the current drawable and the host's viewport are what the
// capture assumes, else what is wrong.
static const char* check_drawable()
{
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(SDL_GL_GetCurrentWindow(), &width, &height);
    if (width < viewport_width || height < viewport_height)
        return "the drawable is smaller than the viewport";
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[0] != 0 || viewport[1] != 0 || viewport[2] != viewport_width || viewport[3] != viewport_height)
        return "the host's viewport is not where the capture reads it";
    return NULL;
}

// The viewport's pixels, top row first (GL hands them over bottom row first).
static rgb_image read_viewport()
{
    rgb_image image;
    image.width = viewport_width;
    image.height = viewport_height;
    image.pixels.resize(static_cast<size_t>(viewport_width) * viewport_height * 3);
    std::vector<unsigned char> bottom_up(image.pixels.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, viewport_width, viewport_height, GL_RGB, GL_UNSIGNED_BYTE, bottom_up.data());
    const size_t row = static_cast<size_t>(viewport_width) * 3;
    for (int y = 0; y < viewport_height; ++y)
        std::memcpy(&image.pixels[y * row], &bottom_up[(viewport_height - 1 - y) * row], row);
    return image;
}

// Draws the frame and reads it back; NULL when all went well, else what
// failed (the layer's cause is in last_failure_text).
static const char* capture(const variant_params& params, long long frame, rgb_image* image)
{
    std::vector<float> cells(static_cast<size_t>(params.grid_size) * params.grid_size);
    viewer_run run = prepare_viewer_run(NULL, params, cells.data());
    const layer_window_frame frame_sides = layer_window_frame_of_style(viewer_window_style);
    run.window_width = viewport_width + frame_sides.left + frame_sides.right;
    run.window_height = viewport_height + frame_sides.top + frame_sides.bottom;

    const char* failure = start_viewer(run);
    if (failure == NULL)
        failure = check_drawable();
    if (failure == NULL) {
        for (long long k = 0; k < frame; ++k)
            advance_camera(run.camera, params);
        // The offscreen driver draws into a single pbuffer: after the swap
        // it still holds the frame.
        draw_frame(run.device_context, run.camera, run.field, params);
        *image = read_viewport();
        if (glGetError() != GL_NO_ERROR)
            failure = "cannot read the picture back";
    }
    end_viewer_run(run);
    return failure;
}

int main(int argc, char** argv)
{
    long long frame = 0;
    if (argc != 4 || !parse_frame_number(argv[2], &frame) || argv[3][0] == '\0')
        return usage();
    const variant_params* params = find_variant_params(argv[1]);
    if (!params)
        return usage();

    // Always the offscreen driver, whatever display there is.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    rgb_image image;
    const char* failure = capture(*params, frame, &image);
    SDL_Quit();
    if (failure)
        return report(failure, last_failure_text());

    const std::string problem = write_png_file(argv[3], image);
    if (!problem.empty())
        return report(problem.c_str(), NULL);
    return 0;
}
