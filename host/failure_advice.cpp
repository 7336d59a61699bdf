#include "failure_advice.h"

#include <string.h>

// One row per failure a person can act on: the start of the failure's words,
// a part of the cause that tells where it happened ("" for any), and the
// advice.  The first matching row wins, so a narrow row goes before a broad
// one.  The advice follows "NAME: what: cause - " on one line, in a message
// box as on a terminal: kept under 90 characters.
struct advice_row {
    const char* what;
    const char* cause;
    const char* advice;
};

// The driver that gives a program its OpenGL, in the words that fit where
// it runs: Windows takes it from the card's maker; Linux from Mesa or the
// distribution's packages; a page from the browser.
#if defined(__EMSCRIPTEN__)
#define ADVICE_NO_GL "the browser's WebGL cannot draw this: reload the page or try another browser"
#elif defined(_WIN32)
#define ADVICE_NO_GL "the graphics driver offers no suitable OpenGL: install the graphics card maker's driver"
#else
#define ADVICE_NO_GL "the graphics driver offers no suitable OpenGL: install the system's Mesa drivers"
#endif

static const advice_row advice_rows[] = {
    // The browser's WebGL is switched off or refused for this graphics card.
    {"cannot create the", "WebGL is unavailable", "the browser offers no WebGL: turn on hardware acceleration in its settings"},
    // An X server without GLX (a remote display, Xvfb without the extension).
    {"cannot create the", "GLX", "the display offers no OpenGL: run it on a local display with a GL driver"},
    // Windows' own OpenGL 1.1 without the card maker's driver, a virtual
    // machine's display adapter, Mesa without its drivers, or a page whose
    // WebGL refuses what it gave before.
    {"cannot find a pixel format", "", ADVICE_NO_GL},
    {"cannot set the pixel format", "", ADVICE_NO_GL},
    {"cannot create the GL context", "", ADVICE_NO_GL},
    {"cannot make the GL context current", "", ADVICE_NO_GL},
    // Started outside a desktop session (a text console, ssh without -X).
    {"cannot create the window", "no display", "start it in a desktop session, or set DISPLAY or WAYLAND_DISPLAY"},
    // Memory runs out before any display is asked: no setting helps.
    {"cannot create the window", "out of memory", "close other programs to free memory, then start it again"},
    {"cannot create the window", "refused the connection", "check that DISPLAY names an X server you may use (XAUTHORITY)"},
    {"cannot create the window", "X display", "check that DISPLAY names a running X server and one of its screens"},
    // libwayland finds a display's socket in the session's runtime folder.
    {"cannot create the window", "XDG_RUNTIME_DIR is not set", "start it in a desktop session, or set XDG_RUNTIME_DIR to the session's runtime folder"},
    {"cannot create the window", "Wayland display", "check that WAYLAND_DISPLAY names a running compositor"},
    {"cannot build the height field", "", "close other programs to free memory, then start it again"},
};

const char* failure_advice(const char* what, const char* cause)
{
    for (const advice_row& row : advice_rows) {
        if (strncmp(what, row.what, strlen(row.what)) == 0 && strstr(cause, row.cause) != NULL)
            return row.advice;
    }
    return NULL;
}
