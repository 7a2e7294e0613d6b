// Turns the bytes received so far into the overall percentage (5-40 %) and,
// after each minute of transfer, a time-left estimate. Portable arithmetic.
#pragma once

#include <cstdint>

#include "setup/installer_observer.h"

namespace lite_installer {

// The download's share of the overall progress: from its start to its end,
// where the setup's share begins.
constexpr int32_t kDownloadStartPercent = 5;
constexpr int32_t kDownloadEndPercent = 40;
// Stands for the installation that follows the download: added to every
// estimate, and the upper bound shown once the download has ended.
constexpr int32_t kInstallTimeLeftSeconds = 240;

// done/total bytes, elapsed ms of this attempt; last_estimate_ms is in/out.
void ReportDownloadProgress(uint32_t done, uint32_t total, uint32_t elapsed_ms,
                            uint32_t* last_estimate_ms, InstallerObserver* observer);

}  // namespace lite_installer
