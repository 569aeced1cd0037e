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
enum class CueMode { None, Split };
enum class DspType { ParametricEq, Chorus };
// A recording's file: 24-bit FLAC, or 32-bit float WAV.
enum class RecordFormat { Flac24, WavFloat };
enum class Window { Rect, Triangle, Hamming, Hanning, Blackman, BlackmanHarris };

}  // namespace sound
