#include "SoundTypes.h"

namespace sound {

const char* resultText(Result r) {
  switch (r) {
    case Result::Ok:
      return "ok";
    case Result::InvalidHandle:
      return "invalid handle";
    case Result::FileNotFound:
      return "file not found";
    case Result::FormatError:
      return "unsupported or damaged audio file";
    case Result::DeviceError:
      return "sound output failed";
    case Result::InvalidParam:
      return "invalid parameter";
    case Result::NotInitialized:
      return "sound system not initialised";
  }
  return "?";
}

}  // namespace sound
