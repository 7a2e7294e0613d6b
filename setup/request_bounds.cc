// The bounds of this build and the deadline arithmetic; portable.
#include "setup/request_bounds.h"

#include <algorithm>

#include "build_config.h"

namespace lite_installer {
namespace {

// The codes Wine 8 gave calls that hit the receive timeout (measured against
// a loopback server that accepts and never answers, and one that stalls
// mid-body): 12030 from HttpSendRequestW and from reads over TLS, 10060
// (WSAETIMEDOUT) from InternetReadFile over plain HTTP.
constexpr uint32_t kStallCodes[] = {kInternetTimeoutCode, 12030, 10060};

uint32_t Elapsed(uint32_t from, uint32_t now) { return now - from; }

}  // namespace

const RequestBounds& SetupDownloadBounds() {
  return LI_SHORT_NETWORK_BOUNDS ? kShortSetupDownloadBounds : kSetupDownloadBounds;
}

const RequestBounds& ReportBounds() {
  return LI_SHORT_NETWORK_BOUNDS ? kShortReportBounds : kReportBounds;
}

const BodyLimits& SetupBodyLimits() {
  return LI_SHORT_NETWORK_BOUNDS ? kShortSetupBodyLimits : kSetupBodyLimits;
}

uint32_t OpenPhaseIdleMs(const RequestBounds& bounds) {
  const uint64_t sum = static_cast<uint64_t>(bounds.connect_ms) + bounds.send_ms + bounds.receive_ms;
  uint64_t idle = std::min<uint64_t>(sum, UINT32_MAX);
  if (bounds.total_ms != 0) idle = std::min<uint64_t>(idle, bounds.total_ms);
  return static_cast<uint32_t>(idle);
}

uint32_t StallErrorCode(uint32_t code, uint32_t elapsed_ms, uint32_t receive_ms) {
  if (receive_ms == 0 || elapsed_ms < receive_ms) return code;
  for (uint32_t stall : kStallCodes)
    if (code == stall) return kInternetTimeoutCode;
  return code;
}

ProgressDeadline::ProgressDeadline(uint32_t idle_ms, uint32_t total_ms, uint32_t now)
    : idle_ms_(idle_ms), total_ms_(total_ms), start_(now), last_progress_(now) {}

void ProgressDeadline::Progress(uint32_t now) {
  // A reading from before the last one (another thread's, taken earlier)
  // must not move the deadline back.
  if (Elapsed(start_, now) > Elapsed(start_, last_progress_)) last_progress_ = now;
}

uint32_t ProgressDeadline::Remaining(uint32_t now) const {
  const uint32_t since_progress = Elapsed(last_progress_, now);
  uint32_t left = since_progress >= idle_ms_ ? 0 : idle_ms_ - since_progress;
  if (total_ms_ != 0) {
    const uint32_t since_start = Elapsed(start_, now);
    left = std::min(left, since_start >= total_ms_ ? 0 : total_ms_ - since_start);
  }
  return left;
}

}  // namespace lite_installer
