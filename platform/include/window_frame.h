// The frame the layer puts around a top-level window's client area.
#pragma once

#include <windows.h>

// The non-client frame around the client area, in pixels per side.
struct layer_window_frame {
    int left, top, right, bottom;
};

// Windows' classic metrics: a caption (WS_BORDER|WS_DLGFRAME) has a 3-px
// dialog frame per side and a 19-px caption plus its 1-px line, so a 640x480
// window has a 634x455 client area at (3, 22).  SDL sizes are client sizes;
// the page draws its frame to these figures.
// NOTE: the window manager's real decorations are not measured (SDL reports
// zeros on a bare X server and fails on offscreen); the same figures apply
// everywhere.
inline layer_window_frame layer_window_frame_of_style(DWORD style)
{
    if ((style & WS_CAPTION) == WS_CAPTION)
        return {3, 22, 3, 3};
    if (style & WS_DLGFRAME)
        return {3, 3, 3, 3};
    if (style & WS_BORDER)
        return {1, 1, 1, 1};
    return {0, 0, 0, 0};
}
