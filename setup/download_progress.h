// Turns the bytes received so far into the overall percentage (5-40 %) and,
// after each minute of transfer, a time-left estimate. Portable arithmetic.
#pragma once

#include <cstdint>

#include "setup/installer_observer.h"

namespace lite_installer {

// done/total bytes, elapsed ms of this attempt; last_estimate_ms is in/out.
void ReportDownloadProgress(uint32_t done, uint32_t total, uint32_t elapsed_ms,
                            uint32_t* last_estimate_ms, InstallerObserver* observer);

}  // namespace lite_installer
