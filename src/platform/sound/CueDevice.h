#pragma once

#include <memory>
#include <string>
#include <vector>

namespace sound {

class DriftFollower;

// The headphones' own playback device: its callback plays what `source` reads, on the
// device's clock. Behind this interface so that the sound system can be run with a stand-in.
// Every call is the UI thread's.
class CueDevice {
 public:
  virtual ~CueDevice() = default;
  // Opens the named playback device (empty: the default) and starts it; false when it cannot
  // be opened. A device already open is closed first.
  virtual bool open(const std::string& name, int sampleRate, DriftFollower& source) = 0;
  virtual void close() = 0;  // no callback runs after it
  // The device that was opened went away (unplugged, or its server stopped).
  virtual bool lost() const = 0;
};

// The SDL one: 256-frame blocks, so that the headphones add little to the ring's delay.
std::unique_ptr<CueDevice> makeSdlCueDevice();

// The names of the playback devices SDL sees; none before the sound system is up (or with
// no sound at all).
std::vector<std::string> playbackDeviceNames();

}  // namespace sound
