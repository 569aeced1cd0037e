#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/mathematics.h>
#include <libswresample/swresample.h>
}

namespace sound {

// The FFmpeg calls the decoder makes, looked up at run time: the player does not link
// FFmpeg, whose libraries and theirs (some 150) would take a good part of a second to load
// before the splash could show. They are loaded on first use, or ahead of it on a thread of
// their own (loadFfmpegSoon), and stay loaded.
struct FfmpegCalls {
#define TV_FFMPEG_CALL(name) decltype(&::name) name = nullptr;
#include "FfmpegCalls.inc"
#undef TV_FFMPEG_CALL
};

// The calls, once loaded; null when the libraries are missing. Safe from any thread; waits
// for a load under way.
const FfmpegCalls* ffmpegCalls();
// Starts loading the libraries on a thread of its own and returns at once.
void loadFfmpegSoon();

}  // namespace sound
