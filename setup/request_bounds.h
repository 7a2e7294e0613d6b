// How long one HTTP request of the installer may take, and how far it may be
// redirected. Without bounds a server that accepts and never answers, a
// redirect loop or a silent status endpoint kept the installer waiting for
// ever. Portable: the values and the deadline arithmetic are tested on the
// host; the downloader applies them to WinINet.
#pragma once

#include <cstdint>

namespace lite_installer {

struct RequestBounds {
  uint32_t connect_ms;     // INTERNET_OPTION_CONNECT_TIMEOUT
  uint32_t send_ms;        // INTERNET_OPTION_SEND_TIMEOUT
  uint32_t receive_ms;     // INTERNET_OPTION_RECEIVE_TIMEOUT: silence that ends a wait
  uint32_t total_ms;       // the whole request, body included; 0 = no such bound
  uint32_t max_redirects;  // redirects followed; the one after them fails the request
};

// The setup download, as users get it. A slow or mobile line can take 1-2 s
// per round trip and retransmits a lost SYN after 1, 3, 7 and 15 s, so 30 s
// lets a connection through four losses; the request is a few hundred bytes,
// so 30 s of a blocked send means a dead line. A minute of silence before
// the answer's head or inside the body is a stall, not a slow line (a line of
// 10 KB/s still fills a 32 KB chunk every 3 s). No bound on the whole: 150 MB
// over such a line may take hours and keeps moving. Ten redirects cover any
// chain of mirrors and load balancers seen in practice; a loop ends there.
inline constexpr RequestBounds kSetupDownloadBounds = {30000, 30000, 60000, 0, 10};

// A status report or click statistic: a GET of about a kilobyte each way.
// On the slowest line (DNS, TCP, a TLS handshake with a 5 KB chain, one
// exchange) it takes 2-4 s, so 15 s for the whole leaves a wide margin while
// a silent endpoint costs the user at most 15 s per report; nothing in a
// report may hold up the installation longer.
inline constexpr RequestBounds kReportBounds = {10000, 10000, 10000, 15000, 10};

// What a report keeps of its answer, which nobody reads: the endpoints answer
// "ok" or a short page, so 4 KB holds any real answer whole; beyond that the
// bytes are counted and dropped (a status endpoint answering 200 with a body
// that never ended once took a silent run to 600 MiB and a crash).
inline constexpr uint32_t kReportAnswerKeptBytes = 4096;

// Test builds only (LI_SHORT_NETWORK_BOUNDS): the same logic with bounds of
// seconds, so that the Wine tests of silent and stalled servers stay short;
// still long enough for a loaded machine to answer every good request.
inline constexpr RequestBounds kShortSetupDownloadBounds = {3000, 3000, 3000, 0, 10};
inline constexpr RequestBounds kShortReportBounds = {3000, 3000, 3000, 6000, 10};

// What a response body must do while it arrives (body_watch.h).
struct BodyLimits {
  uint32_t low_speed_window_ms;   // the body must grow by low_speed_min_bytes in
  uint32_t low_speed_min_bytes;   // every window of this length; 0 = no such rule
  uint32_t unannounced_cap;       // a file without Content-Length may not grow past
                                  // this many bytes; 0 = no cap
};

// The setup download. The slowest line a user really has, 2G at the edge of
// its coverage, moves about 1 KB/s, 60 KB a minute; a server that drips a
// byte every few seconds (below the receive timeout, so it never looks
// silent) moves tens of bytes. A quarter of that line, 16 KB in a minute,
// lets every working line through (TCP's slow start and a lost segment cost
// seconds, not a minute) and cuts a drip after one to two minutes. The
// setup is about 150 MB and always comes with its length; a body without
// one that reaches 1 GiB is not the setup, and stops before it fills a
// user's disk.
inline constexpr BodyLimits kSetupBodyLimits = {60000, 16384, 1073741824};

// Reports carry a few bytes and have their whole bound (kReportBounds).
inline constexpr BodyLimits kNoBodyLimits = {0, 0, 0};

// Test builds only: a window of seconds (a loaded machine still moves
// megabytes a second on loopback, and the dialog test's slow server 1 KB/s)
// and a cap that an endless body reaches in a moment, far above the test
// setups (a few hundred KB without a length).
inline constexpr BodyLimits kShortSetupBodyLimits = {4000, 1024, 4194304};

// The bounds of this build (the short ones only in a test build).
const RequestBounds& SetupDownloadBounds();
const RequestBounds& ReportBounds();
const BodyLimits& SetupBodyLimits();

// How long the opening of one request (connect, send, the answer's head) may
// go without a sign of life: the sum of its phases, within the whole bound.
uint32_t OpenPhaseIdleMs(const RequestBounds& bounds);

// ERROR_INTERNET_TIMEOUT, what Windows records for a call that ran into its
// receive timeout.
inline constexpr uint32_t kInternetTimeoutCode = 12002;

// The code a failed WinINet call is recorded with. Wine ends a call that ran
// into the receive timeout with 12030 (a send, or a read over TLS) or with
// the socket's 10060 (a read over plain HTTP) where Windows says 12002, so
// such an end that came after the whole receive timeout is recorded as 12002,
// and the statistics server sees one code for a stall on every system.
uint32_t StallErrorCode(uint32_t code, uint32_t elapsed_ms, uint32_t receive_ms);

// A deadline on tick counts (milliseconds, wrapping at 2^32) that moves on
// with every sign of progress, within an optional bound on the whole.
class ProgressDeadline {
 public:
  // idle_ms: the longest time without progress; total_ms: 0 for none.
  ProgressDeadline(uint32_t idle_ms, uint32_t total_ms, uint32_t now);
  void Progress(uint32_t now);
  // Milliseconds left until it expires; 0 once it has.
  uint32_t Remaining(uint32_t now) const;

 private:
  uint32_t idle_ms_;
  uint32_t total_ms_;
  uint32_t start_;
  uint32_t last_progress_;
};

}  // namespace lite_installer
