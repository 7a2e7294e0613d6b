// Clock arithmetic; portable.
#include "platform/clock.h"

namespace lite_installer {

int64_t SaturatedAdd(int64_t a, int64_t b) {
  if (b > 0 && a > kInfiniteTime - b) return kInfiniteTime;
  if (b < 0 && a < kMinusInfiniteTime - b) return kMinusInfiniteTime;
  return a + b;
}

int64_t SaturatedSub(int64_t a, int64_t b) {
  if (b == INT64_MIN) return a >= 0 ? kInfiniteTime : a + kInfiniteTime + 1;
  return SaturatedAdd(a, -b);
}

int64_t DurationInSeconds(int64_t microseconds) {
  if (microseconds == kInfiniteTime) return kInfiniteTime;
  return microseconds / 1000000;
}

int64_t CounterToMicroseconds(int64_t count, int64_t frequency) {
  constexpr int64_t kLimit = 9223372036854;  // count * 1e6 still fits in 63 bits
  if (frequency <= 0) return 0;
  if (count <= kLimit) return count * 1000000 / frequency;
  // Whole seconds beyond what 63 bits of microseconds hold (a slow counter
  // near its end) saturate instead of wrapping.
  int64_t seconds = count / frequency;
  if (seconds > kInfiniteTime / 1000000) return kInfiniteTime;
  int64_t rest = count % frequency;
  int64_t fraction = rest <= kLimit ? rest * 1000000 / frequency
                                    : static_cast<int64_t>(static_cast<long double>(rest) *
                                                           1000000 / frequency);
  return SaturatedAdd(seconds * 1000000, fraction);
}

int64_t MillisecondExtender::Extend(uint32_t reading) {
  if (reading < previous_) rollover_ms_ += int64_t{1} << 32;
  previous_ = reading;
  int64_t ms = rollover_ms_ + reading;
  if (ms == kInfiniteTime) return kInfiniteTime;
  return ms * 1000;
}

TickSource ChooseTickSource(int64_t frequency, const std::string& cpu_vendor,
                            uint32_t base_family, bool invariant_tsc) {
  if (frequency <= 0) return TickSource::kMultimediaTimer;
  if (!invariant_tsc) return TickSource::kMultimediaTimer;
  if (cpu_vendor == "AuthenticAMD" && base_family == 15) return TickSource::kMultimediaTimer;
  return TickSource::kPerformanceCounter;
}

void WallClock::Synchronize() {
  anchor_ticks_ = ticks_();
  anchor_time_ = system_time_();
}

int64_t WallClock::Now() {
  SpinLockHolder hold(&lock_);
  if (anchor_time_ == 0) Synchronize();
  for (;;) {
    int64_t elapsed = SaturatedSub(ticks_(), anchor_ticks_);
    if (elapsed == kInfiniteTime || elapsed / 1000 > 60000) {
      Synchronize();
      continue;
    }
    return SaturatedAdd(anchor_time_, elapsed);
  }
}

}  // namespace lite_installer
