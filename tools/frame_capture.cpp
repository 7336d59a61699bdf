// frame_capture NAME FRAME OUT.png: draws frame FRAME of viewer NAME without
// a display and writes the 640x480 picture its viewport holds as a PNG.
//
// The frame goes through the viewers' own code: the same height field drawn
// from a fresh generator, the camera after FRAME advances, the host's
// setup_render_context (pixel format, projection, render state) and its
// draw_frame, on Mesa's software OpenGL behind SDL's offscreen driver.
//
// Why a bigger window: the viewers' viewport is 640x480, the size of their
// whole window, so on screen its top rows and right-hand columns lie under
// the caption and frame and only the client area's 634x455 is seen.  Here the
// window is made through the same layer with a client area of exactly
// 640x480 (outer size 646x505, the layer's fixed caption and frame added), so
// the offscreen driver's pbuffer holds the whole viewport and nothing else.
// An offscreen framebuffer object would need GL beyond 1.1 and a second
// drawing path; the bigger window keeps the host's calls unchanged.

#include "crt_rand.h"
#include "failure_text.h"
#include "frame_driver.h"
#include "frame_number.h"
#include "height_field.h"
#include "orbit_camera.h"
#include "png_file.h"
#include "render_context.h"
#include "variant_params.h"
#include "viewer_window.h"

#include <windows.h>

#include <GL/gl.h>
#include <SDL.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// The viewport the host sets (render_context.cpp), checked once the context exists.
static const int viewport_width = 640;
static const int viewport_height = 480;

// The layer's frame for a captioned window: 3 px left and right, a 22-px
// caption band on top and 3 px below (platform/sdl/windows.cpp).
static const int frame_width = 3 + 3;
static const int frame_height = 22 + 3;

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

// The viewer's window, but with a client area that holds the whole viewport.
static HWND create_capture_window()
{
    WNDCLASSA window_class = {};
    window_class.style = CS_OWNDC;
    window_class.lpfnWndProc = viewer_window_proc;
    window_class.lpszClassName = "frame_capture";
    RegisterClassA(&window_class);
    return CreateWindowExA(0, "frame_capture", "KOLVAR Map Editor", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                           viewport_width + frame_width, viewport_height + frame_height, NULL, NULL, NULL,
                           NULL);
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
        return "the host's viewport is not 640x480 at the origin";
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
    // As in run_viewer: the camera's start, then the terrain, then the window.
    camera_state camera = start_camera(params);
    std::vector<float> cells(static_cast<size_t>(params.grid_size) * params.grid_size);
    height_field field = build_height_field(params, cells.data(), crt_rand);
    for (long long k = 0; k < frame; ++k)
        advance_camera(camera, params);

    HWND window = create_capture_window();
    if (window == NULL) {
        release_height_field(field);
        return "cannot create the window";
    }
    HDC device_context;
    HGLRC rendering_context;
    const char* failure = setup_render_context(window, &device_context, &rendering_context);
    if (failure == NULL) {
        failure = check_drawable();
        if (failure == NULL) {
            // The offscreen driver draws into a single pbuffer: after the
            // swap it still holds the frame.
            draw_frame(device_context, camera, field, params);
            *image = read_viewport();
            if (glGetError() != GL_NO_ERROR)
                failure = "cannot read the picture back";
        }
        release_render_context(window, device_context, rendering_context);
    }
    DestroyWindow(window);
    release_height_field(field);
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
