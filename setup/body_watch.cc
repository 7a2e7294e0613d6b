// The body checks of one attempt; portable.
#include "setup/body_watch.h"

namespace lite_installer {
namespace {

constexpr uint32_t kTimeoutCode = 12002;           // ERROR_INTERNET_TIMEOUT
constexpr uint32_t kInvalidResponseCode = 12152;   // ERROR_HTTP_INVALID_SERVER_RESPONSE
constexpr uint32_t kFileTooLargeCode = 223;        // ERROR_FILE_TOO_LARGE

}  // namespace

uint32_t BodyVerdictCode(BodyVerdict verdict) {
  switch (verdict) {
    case BodyVerdict::kTooSlow:
      return kTimeoutCode;
    case BodyVerdict::kLongerThanAnnounced:
      return kInvalidResponseCode;
    case BodyVerdict::kOverCap:
      return kFileTooLargeCode;
    case BodyVerdict::kGoOn:
      break;
  }
  return 0;
}

BodyWatch::BodyWatch(const BodyLimits& limits, uint32_t offset, uint32_t announced, uint32_t now)
    : limits_(limits), offset_(offset), announced_(announced), window_start_(now) {}

BodyVerdict BodyWatch::OnChunk(uint32_t count, uint32_t now) {
  received_ += count;
  if (announced_ != 0 && received_ > announced_) return BodyVerdict::kLongerThanAnnounced;
  if (announced_ == 0 && limits_.unannounced_cap != 0 &&
      offset_ + received_ > limits_.unannounced_cap)
    return BodyVerdict::kOverCap;
  // A body that is complete did not stall, however slowly its end came.
  if (announced_ != 0 && received_ == announced_) return BodyVerdict::kGoOn;
  // Windows that follow each other: each is judged at the first chunk after
  // it has run its length, so a drip is cut within one to two windows (the
  // waits between chunks are bounded by the receive timeout).
  if (limits_.low_speed_window_ms != 0 && now - window_start_ >= limits_.low_speed_window_ms) {
    if (received_ - window_bytes_ < limits_.low_speed_min_bytes) return BodyVerdict::kTooSlow;
    window_start_ = now;
    window_bytes_ = received_;
  }
  return BodyVerdict::kGoOn;
}

bool RestFitsInFreeSpace(uint32_t file_length, uint32_t in_sink, uint64_t free_bytes) {
  if (file_length <= in_sink) return true;  // unknown (0), or nothing left to come
  return file_length - in_sink <= free_bytes;
}

}  // namespace lite_installer
