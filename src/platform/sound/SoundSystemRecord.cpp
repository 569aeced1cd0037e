// Recording the master mix. The mixer's tap takes each limited block in the output callback;
// a Recorder's thread writes it out. Only one recording runs at a time.
#include "SoundSystem.h"
#include "SoundSystemImpl.h"

namespace sound {

Result SoundSystem::startRecording(const std::string& path, RecordFormat format) {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  if (d.recorder && d.recorder->state().active) return Result::InvalidParam;
  stopRecording();
  d.recorder.reset();  // the state now answers for this start
  std::string error;
  auto sink = openRecordSink(path, format, d.mixer->sampleRate(), error);
  if (!sink) {
    d.recordError = error;
    return Result::FileNotFound;
  }
  d.recordError.clear();
  d.recorder = std::make_unique<Recorder>(d.mixer->record, std::move(sink), path);
  return Result::Ok;
}

Result SoundSystem::stopRecording() {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  if (!d.recorder) return Result::Ok;
  d.recorder->stop();
  return Result::Ok;
}

RecordingState SoundSystem::recordingState() const {
  const auto& d = *m_impl;
  if (d.recorder) return d.recorder->state();
  RecordingState s;
  s.error = d.recordError;
  return s;
}

}  // namespace sound
