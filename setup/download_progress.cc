// Progress of the setup download: 5 % at its start, 40 % at its end, and a
// time-left estimate at most once a minute. Portable, so that the arithmetic
// is tested with chosen byte counts and elapsed times.
#include "setup/download_progress.h"

namespace lite_installer {
namespace {

constexpr float kStartPercent = static_cast<float>(kDownloadStartPercent);
constexpr float kEndPercent = static_cast<float>(kDownloadEndPercent);
constexpr uint32_t kEstimateIntervalMs = 60000;
constexpr int64_t kShowTimeLeftAboveSeconds = 120;

// Single precision: 2 of 7 blends to 14.999999999999998 in double but to 15.0
// in float. x87 code (the 32-bit build) may evaluate float expressions in
// extended precision; the volatile stores round every step to float, so each
// build truncates the same value.
int32_t BlendPercent(uint32_t done, uint32_t total) {
  volatile float x = static_cast<float>(done) / static_cast<float>(total);
  volatile float start_part = (1.0f - x) * kStartPercent;
  volatile float end_part = x * kEndPercent;
  volatile float sum = start_part + end_part;
  return static_cast<int32_t>(sum);
}

}  // namespace

void ReportDownloadProgress(uint32_t done, uint32_t total, uint32_t elapsed_ms,
                            uint32_t* last_estimate_ms, InstallerObserver* observer) {
  if (total == 0) return;
  if (observer) observer->SetProgress(BlendPercent(done, total));
  uint32_t last = last_estimate_ms ? *last_estimate_ms : 0;
  if (done == 0 || elapsed_ms - last < kEstimateIntervalMs) return;
  int64_t remaining = (static_cast<int64_t>(total) - static_cast<int64_t>(done)) *
                      static_cast<int64_t>(elapsed_ms) / static_cast<int64_t>(done) / 1000;
  if (observer && remaining + static_cast<int64_t>(elapsed_ms / 1000) > kShowTimeLeftAboveSeconds) {
    observer->EnableTimeLeft();
  }
  if (observer) {
    observer->SetTimeLeft(static_cast<int32_t>(remaining + kInstallTimeLeftSeconds),
                          kTimeLeftEstimate);
  }
  if (last_estimate_ms) *last_estimate_ms = elapsed_ms;
}

}  // namespace lite_installer
