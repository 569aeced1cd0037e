#pragma once

#include <string>
#include <vector>

namespace fixtures {

// A piece of a test tone: `seconds` of a sine at `hz` (0 = silence).
struct Segment {
  double hz;
  double seconds;
};

// Writes a 16-bit PCM WAV file of the given segments.
void writeWav(const std::string& path, const std::vector<Segment>& segments, int rate = 44100,
              int channels = 2, double amplitude = 0.5);
// Encodes the segments with libavcodec: "mp3" (LAME) or "wma" (WMA v2), chosen by the
// file's extension. Returns false when the encoder is missing.
bool writeEncoded(const std::string& path, const std::vector<Segment>& segments, int rate = 44100,
                  double amplitude = 0.5);
// The same from the samples of one channel, copied to every channel.
void writeWavSamples(const std::string& path, const std::vector<double>& mono, int rate = 44100,
                     int channels = 2);
bool writeEncodedSamples(const std::string& path, const std::vector<double>& mono,
                         int rate = 44100);
// A drum loop at `bpm` after `leadIn` seconds of silence: a kick on every beat, a snare
// over it on the second and fourth, a hi-hat on every eighth (`hats`); `seconds` in all.
std::vector<double> drumLoop(double bpm, double seconds, double leadIn = 0, bool hats = true,
                             int rate = 44100);
// Something like music for the benchmarks: drumLoop(124, seconds, 0.2) under a tune that
// steps through seven semitones from 220 Hz every half second.
std::vector<double> drumsUnderATune(double seconds, int rate = 44100);
// Clicks at `bpm` from `firstSeconds` on: a burst of `hz` on every beat that falls away in a
// few milliseconds; `seconds` in all.
std::vector<double> clickTrack(double bpm, double firstSeconds, double hz, double seconds,
                               int rate = 44100);
// Where bursts of `hz` start in interleaved stereo at 44.1 kHz, in seconds: where a 4 ms
// window's magnitude at `hz` first reaches half the burst's peak, whatever its level (below
// `floor`, nothing counts).
std::vector<double> burstOnsets(const std::vector<float>& stereo, double hz, double floor = 0.01);
// Writes `bytes` of pseudo-random bytes.
void writeRandom(const std::string& path, std::size_t bytes, unsigned seed = 1);

// What SDL's file-writing driver wrote: interleaved 32-bit float samples (none from a file
// that is not there).
std::vector<float> readCapture(const std::string& path);
// The first frame of interleaved stereo whose left sample is above `floor` (the frame count
// when none is).
std::size_t firstSound(const std::vector<float>& stereo, float floor = 1e-4f);

// Measures a tone: its frequency from zero crossings, its RMS and its magnitude at a
// frequency (Goertzel), over one channel of interleaved stereo samples.
double zeroCrossingHz(const std::vector<float>& stereo, int rate, int channel = 0);
double rms(const std::vector<float>& stereo, int channel = 0);
double magnitudeAt(const std::vector<float>& stereo, int rate, double hz, int channel = 0);

// A fresh temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return m_path; }
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

}  // namespace fixtures
