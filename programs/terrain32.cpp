// terrain32: the 32x32 terrain viewer.  Its grid is small enough to live in
// the entry function's own storage, for the whole run.

#include "run_viewer.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    float grid[32 * 32];
    return run_viewer(instance, terrain32_params, grid);
}
