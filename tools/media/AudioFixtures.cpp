#include "AudioFixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace fixtures {

namespace {
std::vector<double> synth(const std::vector<Segment>& segments, int rate, double amplitude) {
  std::vector<double> out;
  double phase = 0;
  for (const Segment& s : segments) {
    const auto n = std::size_t(s.seconds * rate);
    for (std::size_t i = 0; i < n; ++i) {
      out.push_back(s.hz > 0 ? amplitude * std::sin(phase) : 0.0);
      phase += 2 * M_PI * s.hz / rate;
    }
  }
  return out;
}

void put16(std::ofstream& f, int v) {
  const char b[2] = {char(v & 0xFF), char((v >> 8) & 0xFF)};
  f.write(b, 2);
}
void put32(std::ofstream& f, std::uint32_t v) {
  put16(f, int(v & 0xFFFF));
  put16(f, int(v >> 16));
}
}  // namespace

void writeWav(const std::string& path, const std::vector<Segment>& segments, int rate, int channels,
              double amplitude) {
  writeWavSamples(path, synth(segments, rate, amplitude), rate, channels);
}

void writeWavSamples(const std::string& path, const std::vector<double>& mono, int rate,
                     int channels) {
  std::ofstream f(path, std::ios::binary);
  const auto dataBytes = std::uint32_t(mono.size() * std::size_t(channels) * 2);
  f.write("RIFF", 4);
  put32(f, 36 + dataBytes);
  f.write("WAVEfmt ", 8);
  put32(f, 16);
  put16(f, 1);
  put16(f, channels);
  put32(f, std::uint32_t(rate));
  put32(f, std::uint32_t(rate * channels * 2));
  put16(f, channels * 2);
  put16(f, 16);
  f.write("data", 4);
  put32(f, dataBytes);
  for (double v : mono)
    for (int c = 0; c < channels; ++c) put16(f, int(std::lround(v * 32767.0)));
}

bool writeEncoded(const std::string& path, const std::vector<Segment>& segments, int rate,
                  double amplitude) {
  return writeEncodedSamples(path, synth(segments, rate, amplitude), rate);
}

bool writeEncodedSamples(const std::string& path, const std::vector<double>& mono, int rate) {
  const bool mp3 = path.size() > 4 && path.substr(path.size() - 4) == ".mp3";
  const AVCodec* codec = avcodec_find_encoder(mp3 ? AV_CODEC_ID_MP3 : AV_CODEC_ID_WMAV2);
  if (!codec) return false;
  AVFormatContext* oc = nullptr;
  if (avformat_alloc_output_context2(&oc, nullptr, nullptr, path.c_str()) < 0) return false;
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  ctx->sample_rate = rate;
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  av_channel_layout_copy(&ctx->ch_layout, &stereo);
  ctx->sample_fmt = codec->sample_fmts[0];
  for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
    if (*f == AV_SAMPLE_FMT_FLTP) ctx->sample_fmt = *f;
  ctx->bit_rate = 128000;
  ctx->time_base = AVRational{1, rate};
  if (oc->oformat->flags & AVFMT_GLOBALHEADER) ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  bool ok = avcodec_open2(ctx, codec, nullptr) >= 0;
  AVStream* st = ok ? avformat_new_stream(oc, nullptr) : nullptr;
  ok = ok && st && avcodec_parameters_from_context(st->codecpar, ctx) >= 0;
  if (ok) st->time_base = AVRational{1, rate};
  ok = ok && avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0;
  ok = ok && avformat_write_header(oc, nullptr) >= 0;
  if (ok) {
    const int frameSize = ctx->frame_size > 0 ? ctx->frame_size : 1152;
    AVFrame* frame = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();
    auto drain = [&] {
      while (avcodec_receive_packet(ctx, pkt) == 0) {
        av_packet_rescale_ts(pkt, ctx->time_base, st->time_base);
        pkt->stream_index = st->index;
        av_interleaved_write_frame(oc, pkt);
      }
    };
    for (std::size_t pos = 0; pos < mono.size(); pos += std::size_t(frameSize)) {
      const int n = int(std::min<std::size_t>(std::size_t(frameSize), mono.size() - pos));
      const bool smallLast = codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
      frame->nb_samples = smallLast ? n : frameSize;  // else the last frame is padded
      frame->format = ctx->sample_fmt;
      frame->sample_rate = rate;
      av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
      av_frame_get_buffer(frame, 0);
      for (int i = 0; i < frame->nb_samples; ++i) {
        const double v = i < n ? mono[pos + std::size_t(i)] : 0.0;
        for (int c = 0; c < 2; ++c) {
          switch (ctx->sample_fmt) {
            case AV_SAMPLE_FMT_FLTP:
              reinterpret_cast<float*>(frame->data[c])[i] = float(v);
              break;
            case AV_SAMPLE_FMT_S16P:
              reinterpret_cast<std::int16_t*>(frame->data[c])[i] = std::int16_t(v * 32767);
              break;
            case AV_SAMPLE_FMT_S16:
              reinterpret_cast<std::int16_t*>(frame->data[0])[2 * i + c] = std::int16_t(v * 32767);
              break;
            case AV_SAMPLE_FMT_FLT:
              reinterpret_cast<float*>(frame->data[0])[2 * i + c] = float(v);
              break;
            default:
              break;
          }
        }
      }
      frame->pts = std::int64_t(pos);
      avcodec_send_frame(ctx, frame);
      av_frame_unref(frame);
      drain();
    }
    avcodec_send_frame(ctx, nullptr);
    drain();
    av_write_trailer(oc);
    av_frame_free(&frame);
    av_packet_free(&pkt);
  }
  avcodec_free_context(&ctx);
  if (oc->pb) avio_closep(&oc->pb);
  avformat_free_context(oc);
  return ok;
}

std::vector<double> drumLoop(double bpm, double seconds, double leadIn, bool hats, int rate) {
  std::vector<double> out(std::size_t(seconds * rate), 0.0);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  // Adds one hit at `t` seconds: a sine sweeping from `hz` down to half of it (0: noise,
  // first-differenced when `bright`), decaying with time constant `decay`.
  auto hit = [&](double t, double hz, double level, double decay, bool bright) {
    double phase = 0, last = 0;
    const auto at = std::size_t(std::lround(t * rate));
    for (std::size_t i = 0; i < std::size_t(6 * decay * rate) && at + i < out.size(); ++i) {
      const double s = double(i) / rate, env = level * std::exp(-s / decay);
      double v = 0;
      if (hz > 0) {
        phase += 2 * M_PI * hz * (0.5 + 0.5 * std::exp(-s / 0.03)) / rate;
        v = std::sin(phase);
      } else {
        const double w = noise(rng);
        v = bright ? 0.5 * (w - last) : w;
        last = w;
      }
      out[at + i] += env * v;
    }
  };
  const double beat = 60.0 / bpm;
  for (int b = 0; leadIn + b * beat < seconds; ++b) {
    const double t = leadIn + b * beat;
    hit(t, 110.0, 0.5, 0.08, false);
    if (b % 2 == 1) hit(t, 0.0, 0.3, 0.06, false);
    if (hats) hit(t + beat / 2, 0.0, 0.12, 0.015, true);
  }
  return out;
}

std::vector<double> drumsUnderATune(double seconds, int rate) {
  std::vector<double> mono = drumLoop(124, seconds, 0.2, true, rate);
  double phase = 0;
  for (std::size_t i = 0; i < mono.size(); ++i) {
    mono[i] = 0.7 * mono[i] + 0.2 * std::sin(phase);
    phase +=
        2 * M_PI * 220.0 * std::pow(2.0, double((i / std::size_t(rate / 2)) % 7) / 12.0) / rate;
  }
  return mono;
}

void writeRandom(const std::string& path, std::size_t bytes, unsigned seed) {
  std::mt19937 rng(seed);
  std::ofstream f(path, std::ios::binary);
  for (std::size_t i = 0; i < bytes; ++i) f.put(char(rng() & 0xFF));
}

double zeroCrossingHz(const std::vector<float>& stereo, int rate, int channel) {
  const std::size_t frames = stereo.size() / 2;
  int crossings = 0;
  std::size_t first = 0, last = 0;
  for (std::size_t i = 1; i < frames; ++i) {
    const float a = stereo[2 * (i - 1) + std::size_t(channel)],
                b = stereo[2 * i + std::size_t(channel)];
    if (a <= 0 && b > 0) {
      if (crossings == 0) first = i;
      last = i;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return double(crossings - 1) * rate / double(last - first);
}

std::vector<float> readCapture(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<float> samples(bytes.size() / sizeof(float));
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
  return samples;
}

std::size_t firstSound(const std::vector<float>& stereo, float floor) {
  std::size_t first = 0;
  while (first < stereo.size() / 2 && std::fabs(stereo[2 * first]) < floor) ++first;
  return first;
}

double rms(const std::vector<float>& stereo, int channel) {
  double sum = 0;
  const std::size_t frames = stereo.size() / 2;
  for (std::size_t i = 0; i < frames; ++i) {
    const double v = stereo[2 * i + std::size_t(channel)];
    sum += v * v;
  }
  return frames ? std::sqrt(sum / double(frames)) : 0;
}

double magnitudeAt(const std::vector<float>& stereo, int rate, double hz, int channel) {
  const std::size_t frames = stereo.size() / 2;
  const double w = 2 * M_PI * hz / rate, coeff = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (std::size_t i = 0; i < frames; ++i) {
    const double s = stereo[2 * i + std::size_t(channel)] + coeff * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
  return frames ? 2.0 * std::sqrt(std::max(power, 0.0)) / double(frames) : 0;
}

std::vector<double> clickTrack(double bpm, double firstSeconds, double hz, double seconds,
                               int rate) {
  std::vector<double> v(std::size_t(std::max(0.0, seconds) * rate), 0.0);
  const auto burst = std::size_t(rate / 50);
  for (double at = firstSeconds; at >= 0 && std::size_t(at * rate) + burst < v.size();
       at += 60 / bpm)
    for (std::size_t n = 0; n < burst; ++n)
      v[std::size_t(at * rate) + n] =
          0.4 * std::exp(-double(n) / (0.005 * rate)) * std::sin(2 * M_PI * hz * double(n) / rate);
  return v;
}

std::vector<double> burstOnsets(const std::vector<float>& stereo, double hz, double floor) {
  constexpr std::size_t kWindow = 176, kHop = 22;  // 4 ms, 0.5 ms
  double c[kWindow], s[kWindow], sum = 0;
  for (std::size_t n = 0; n < kWindow; ++n) {
    const double w = 0.5 - 0.5 * std::cos(2 * M_PI * double(n) / kWindow);
    c[n] = w * std::cos(2 * M_PI * hz * double(n) / 44100);
    s[n] = w * std::sin(2 * M_PI * hz * double(n) / 44100);
    sum += w;
  }
  std::vector<double> env;
  for (std::size_t at = 0; (at + kWindow) * 2 <= stereo.size(); at += kHop) {
    double re = 0, im = 0;
    for (std::size_t n = 0; n < kWindow; ++n) {
      re += stereo[(at + n) * 2] * c[n];
      im += stereo[(at + n) * 2] * s[n];
    }
    env.push_back(2 * std::hypot(re, im) / sum);
  }
  std::vector<double> found;
  for (std::size_t i = 0; i < env.size(); ++i) {
    if (env[i] < floor) continue;
    // The burst's peak, within 20 ms; then on past it, as beats lie far apart.
    const auto end = std::ptrdiff_t(std::min(env.size(), i + 40));
    const double peak = *std::max_element(env.begin() + std::ptrdiff_t(i), env.begin() + end);
    std::size_t k = i;
    while (env[k] < peak / 2) ++k;
    found.push_back(double(k * kHop) / 44100);
    i += 200;
  }
  return found;
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "tornavel-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  m_path = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(m_path, ec);
}

}  // namespace fixtures
