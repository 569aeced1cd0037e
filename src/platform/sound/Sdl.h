#pragma once

#include <SDL.h>

namespace sound {

// The SDL calls the sound devices make, looked up at run time: SDL's library brings some
// thirty others (its video, Wayland and PulseAudio ones among them), which would load before
// the splash could show if the player linked it. It is loaded when a device first opens,
// behind the splash, and stays loaded.
struct SdlCalls {
#define TV_SDL_CALL(name) decltype(&::name) name = nullptr;
#include "SdlCalls.inc"
#undef TV_SDL_CALL
};

// The calls, once loaded; null when the library is missing. Safe from any thread.
const SdlCalls* sdlCalls();

}  // namespace sound
