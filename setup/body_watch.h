// Watches one response body as it arrives: a body that grows too slowly, one
// longer than its Content-Length, and one without a length that passes the
// cap all end the attempt; a file whose rest cannot fit in the free space of
// its volume is not begun. Portable: the downloader feeds it byte counts and
// tick counts, and maps its verdicts to error texts.
#pragma once

#include <cstdint>

#include "setup/request_bounds.h"

namespace lite_installer {

enum class BodyVerdict {
  kGoOn,
  kTooSlow,              // fewer than the minimum bytes over a whole window
  kLongerThanAnnounced,  // more bytes than the Content-Length said
  kOverCap,              // no Content-Length, and the file passed the cap
};
// Measured under Wine 8: an answer with "Connection: close" can hand the
// caller more bytes than its Content-Length, a chunked answer is read to its
// end whatever Content-Length it also carries, and a Content-Length above
// 32 bits cannot be read as a number at all (so that body meets the cap).


// The codes the downloader records a verdict with, after "internet_read-":
// a stall is a timeout (12002, as silence is), a body longer than announced
// an invalid answer (12152, ERROR_HTTP_INVALID_SERVER_RESPONSE), a body over
// the cap a file too large (223, ERROR_FILE_TOO_LARGE). 0 for kGoOn.
uint32_t BodyVerdictCode(BodyVerdict verdict);

class BodyWatch {
 public:
  // offset: bytes of the file already in the sink before this body;
  // announced: the bytes this body said it would bring (0: no length);
  // now: the tick count (milliseconds, wrapping) at which it began.
  BodyWatch(const BodyLimits& limits, uint32_t offset, uint32_t announced, uint32_t now);

  // A chunk of `count` bytes has arrived at `now`. Anything but kGoOn ends
  // the attempt; the chunk is kept only for kGoOn and kTooSlow (its bytes
  // are good, there are just too few of them).
  BodyVerdict OnChunk(uint32_t count, uint32_t now);

 private:
  BodyLimits limits_;
  uint64_t offset_;
  uint32_t announced_;
  uint64_t received_ = 0;
  uint32_t window_start_;
  uint64_t window_bytes_ = 0;  // received_ when the window began
};

// True when the rest of a file of `file_length` bytes (0: unknown, which
// always fits), of which the sink holds `in_sink`, fits in `free_bytes`.
bool RestFitsInFreeSpace(uint32_t file_length, uint32_t in_sink, uint64_t free_bytes);

}  // namespace lite_installer
