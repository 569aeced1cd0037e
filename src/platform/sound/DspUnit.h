#pragma once

#include <array>
#include <atomic>

namespace sound {

class ParametricEq;

// An effect on the master mix. Parameters and the bypass switch are set from the UI thread
// and read by the output callback; a version counter tells the callback when to recompute
// its state. The mixer crossfades a unit in and out (joining, leaving, bypass), so a unit
// itself only has to process.
class DspUnit {
 public:
  static constexpr int kMaxParameters = 8;
  static_assert(std::atomic<float>::is_always_lock_free);
  static_assert(std::atomic<unsigned>::is_always_lock_free);
  static_assert(std::atomic<bool>::is_always_lock_free);
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
  // A bypassed unit stays in the chain but passes its input through untouched.
  void setBypass(bool bypass) { m_bypass.store(bypass, std::memory_order_relaxed); }
  bool bypassed() const { return m_bypass.load(std::memory_order_relaxed); }

  // Output callback only. prepare() runs when the unit joins the chain; reset() when it
  // comes back from being bypassed, so it does not replay what it held back then.
  virtual void prepare(int sampleRate) = 0;
  virtual void reset() = 0;
  virtual void process(float* interleavedStereo, int frames) = 0;
  // An equaliser band, which the mixer runs together with the bands next to it.
  virtual ParametricEq* band() { return nullptr; }

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
  std::atomic<bool> m_bypass{false};
  unsigned m_seenVersion = 0;
};

}  // namespace sound
