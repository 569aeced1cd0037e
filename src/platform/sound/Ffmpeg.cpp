#include "Ffmpeg.h"

#include <dlfcn.h>

#include <mutex>
#include <thread>
#include <type_traits>

#define TV_TEXT(x) #x
#define TV_SONAME(lib, major) "lib" lib ".so." TV_TEXT(major)

namespace sound {

namespace {

constexpr std::size_t kMaxAllocation = std::size_t(64) << 20;
std::once_flag g_once;
FfmpegCalls g_calls;
bool g_loaded = false;

void load() {
  // By the names the build was made against; each library pulls in the ones it needs. The
  // libraries stay loaded for the rest of the run.
  const char* names[] = {TV_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR),
                         TV_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR),
                         TV_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR),
                         TV_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR)};
  void* libraries[4];
  for (int i = 0; i < 4; ++i)
    if (!(libraries[i] = dlopen(names[i], RTLD_NOW | RTLD_LOCAL))) return;
  bool all = true;
  auto find = [&](auto& call, const char* name) {
    void* found = nullptr;
    for (void* library : libraries)
      if ((found = dlsym(library, name))) break;
    call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(found);
    all = all && found;
  };
#define TV_FFMPEG_CALL(name) find(g_calls.name, #name);
#include "FfmpegCalls.inc"
#undef TV_FFMPEG_CALL
  if (!all) return;
  g_calls.av_log_set_level(AV_LOG_QUIET);  // damaged files are reported by result codes
  // No audio file needs one FFmpeg buffer this large; a header that asks for one is lying.
  g_calls.av_max_alloc(kMaxAllocation);
  g_loaded = true;
}

// A load still under way when the program ends is waited for.
struct Preload {
  std::thread thread;
  ~Preload() {
    if (thread.joinable()) thread.join();
  }
} g_preload;

}  // namespace

const FfmpegCalls* ffmpegCalls() {
  std::call_once(g_once, load);
  return g_loaded ? &g_calls : nullptr;
}

void loadFfmpegSoon() {
  if (!g_preload.thread.joinable()) g_preload.thread = std::thread([] { ffmpegCalls(); });
}

}  // namespace sound
