// Time in signed 64-bit microseconds: a wall clock that runs on a monotonic
// tick source and is re-anchored to the system time after 60 s, durations in
// whole seconds, and saturating arithmetic (2^63-1 is infinity). The
// arithmetic is portable; the sources are Windows'.
#pragma once

#include <cstdint>
#include <string>

#include "platform/spin_lock.h"

namespace lite_installer {

constexpr int64_t kInfiniteTime = INT64_MAX;
constexpr int64_t kMinusInfiniteTime = -INT64_MAX;

int64_t SaturatedAdd(int64_t a, int64_t b);
int64_t SaturatedSub(int64_t a, int64_t b);

// Whole seconds, truncated toward zero; infinity stays infinity.
int64_t DurationInSeconds(int64_t microseconds);

// Performance-counter reading in microseconds without overflow.
int64_t CounterToMicroseconds(int64_t count, int64_t frequency);

// The multimedia timer's 32-bit millisecond count, extended past its wrap.
class MillisecondExtender {
 public:
  // Tick value in microseconds for a new reading.
  int64_t Extend(uint32_t reading);

 private:
  int64_t rollover_ms_ = 0;
  uint32_t previous_ = 0;
};

enum class TickSource { kMultimediaTimer, kPerformanceCounter };

// The performance counter only when it exists and the time-stamp counter is
// invariant, and never on AMD base family 15.
TickSource ChooseTickSource(int64_t frequency, const std::string& cpu_vendor,
                            uint32_t base_family, bool invariant_tsc);

// Wall clock over injectable sources: ticks (microseconds, any origin) and the
// system time (microseconds since 1601). Safe to call from several threads:
// the anchors change only together, under the lock.
class WallClock {
 public:
  using Source = int64_t (*)();
  WallClock(Source ticks, Source system_time) : ticks_(ticks), system_time_(system_time) {}
  int64_t Now();

 private:
  void Synchronize();
  Source ticks_;
  Source system_time_;
  SpinLock lock_;
  int64_t anchor_ticks_ = 0;
  int64_t anchor_time_ = 0;  // 0: not yet synchronised
};

// Process-wide clock on the platform's sources (Windows only).
int64_t WallClockNow();

}  // namespace lite_installer
