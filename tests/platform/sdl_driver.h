// The tests' hold on SDL: its offscreen driver, its windows and its events.
#pragma once

#include <SDL.h>

// Runs windows on SDL's offscreen driver (no display needed).
void use_offscreen_video();

// The one live SDL window, or NULL: tests look at what SDL was asked for.
SDL_Window* only_sdl_window();

// Pushes an SDL key event as a driver would deliver it.
void push_key(SDL_Scancode scancode, bool down, Uint16 modifiers = KMOD_NONE, bool repeat = false);
