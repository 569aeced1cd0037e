#pragma once

#include <array>
#include <atomic>

namespace sound {

// An effect on the master mix. Parameters are set from the UI thread and read by the
// output callback; a version counter tells the callback when to recompute its state.
class DspUnit {
 public:
  static constexpr int kMaxParameters = 8;
  virtual ~DspUnit() = default;

  virtual int parameterCount() const = 0;
  // Clamps a requested value into the parameter's safe range.
  virtual float clampParameter(int index, float value) const = 0;

  bool setParameter(int index, float value) {
    if (index < 0 || index >= parameterCount() || value != value) return false;
    m_params[std::size_t(index)].store(clampParameter(index, value), std::memory_order_relaxed);
    m_version.fetch_add(1, std::memory_order_release);
    return true;
  }
  bool parameter(int index, float& value) const {
    if (index < 0 || index >= parameterCount()) return false;
    value = m_params[std::size_t(index)].load(std::memory_order_relaxed);
    return true;
  }

  // Output callback only.
  virtual void prepare(int sampleRate) = 0;
  virtual void process(float* interleavedStereo, int frames) = 0;

 protected:
  float param(int index) const {
    return m_params[std::size_t(index)].load(std::memory_order_relaxed);
  }
  // True once per change of the parameters; the callback then rebuilds its coefficients.
  bool parametersChanged() {
    const unsigned v = m_version.load(std::memory_order_acquire);
    if (v == m_seenVersion) return false;
    m_seenVersion = v;
    return true;
  }
  void initParameter(int index, float value) { m_params[std::size_t(index)].store(value); }

 private:
  std::array<std::atomic<float>, kMaxParameters> m_params{};
  std::atomic<unsigned> m_version{1};
  unsigned m_seenVersion = 0;
};

}  // namespace sound
