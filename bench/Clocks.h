#pragma once

#include <sys/resource.h>

#include <chrono>
#include <ctime>

// The clocks the benchmarks compare work by: this process's and this thread's CPU time, that
// of the child processes waited for (a reference program run beside ours), and the wall.
namespace benchclock {

inline double cpuOf(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
inline double processCpu() {
  return cpuOf(CLOCK_PROCESS_CPUTIME_ID);
}
inline double threadCpu() {
  return cpuOf(CLOCK_THREAD_CPUTIME_ID);
}
inline double childCpu() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  auto sec = [](timeval t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
  return sec(u.ru_utime) + sec(u.ru_stime);
}
inline double wall() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace benchclock
