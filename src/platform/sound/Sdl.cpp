#include "Sdl.h"

#include <dlfcn.h>

#include <mutex>
#include <type_traits>

namespace sound {

namespace {

std::once_flag g_once;
SdlCalls g_calls;
bool g_loaded = false;

void load() {
  // SDL 2's run-time name, the same for every 2.x release.
  void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
  if (!library) return;
  bool all = true;
  auto find = [&](auto& call, const char* name) {
    void* found = dlsym(library, name);
    call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(found);
    all = all && found;
  };
#define TV_SDL_CALL(name) find(g_calls.name, #name);
#include "SdlCalls.inc"
#undef TV_SDL_CALL
  g_loaded = all;
}

}  // namespace

const SdlCalls* sdlCalls() {
  std::call_once(g_once, load);
  return g_loaded ? &g_calls : nullptr;
}

}  // namespace sound
