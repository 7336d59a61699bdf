// terrain128: the 128x128 terrain viewer.

#include "run_viewer.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return run_viewer(instance, terrain128_params, NULL);
}
