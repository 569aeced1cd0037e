#pragma once

#include <QByteArray>

namespace audio {

// The pre-listening player, as the samples list reaches it: one sound at a time, on a
// channel of its own that plays beside both decks. Its level is its own: the decks' knobs
// and the master do not touch it.
class PreviewActions {
 public:
  virtual ~PreviewActions() = default;
  // Releases the sound played before, then opens `path` and plays it at `volume` (0 silent,
  // 1 full). A file that does not open plays nothing and is not reported.
  virtual void PlayPreview(const QByteArray& path, float volume) = 0;
  // The level of the playing preview and of the next ones.
  virtual void SetPreviewVolume(float volume) = 0;
  // Stops the preview; its sound stays loaded until the next one.
  virtual void StopPreview() = 0;
};

}  // namespace audio
