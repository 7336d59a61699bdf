// terrain320: the 320x320 terrain viewer.

#include "run_viewer.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return run_viewer(instance, terrain320_params, NULL);
}
