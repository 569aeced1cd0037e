#pragma once

#include <cstdint>

namespace sound {

// Handles are 32-bit ids: a kind tag, a generation and a slot number (see HandleTable).
// 0 means none.
using Handle = std::uint32_t;

enum class Result {
  Ok,
  InvalidHandle,
  FileNotFound,
  FormatError,
  DeviceError,
  InvalidParam,
  NotInitialized
};
enum class Output { Device, Silent, Manual };
enum class CueMode { None, Split, Device };
// What became of a playback device asked for by name (SoundSystem::setDevices).
enum class DeviceState {
  Closed,    // not in use: no device output, or the headphones not on a device of their own
  Playing,   // the device asked for plays
  Fallback,  // the master's: the one asked for is missing or went away; the default plays
  Missing,   // the headphones': the one asked for could not be opened
  Lost       // it went away while it played (the master's: and no other device opens)
};
enum class DspType { ParametricEq, Chorus };
// A recording's file: 24-bit FLAC, or 32-bit float WAV.
enum class RecordFormat { Flac24, WavFloat };
enum class Window { Rect, Triangle, Hamming, Hanning, Blackman, BlackmanHarris };

}  // namespace sound
