// What an HTTP answer means for a download: whether it redirects (and may),
// and whether a server honoured a resume. WinINet follows redirects without
// a cap and cannot resume under Wine (InternetSetFilePointer is a stub
// there), so the downloader asks for the rest itself ("Range: bytes=N-") and
// decides here whether the answer continues the partial file. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace lite_installer {

// 301, 302, 303, 307 and 308: the answers whose Location the downloader
// follows (every request is a GET, so all of them mean "GET that instead").
bool IsRedirectStatus(uint32_t status);

// The redirects of one request, counted against a cap, from the URL the
// request began with.
class RedirectChain {
 public:
  enum Step {
    kFinal,      // not a redirect (or one that cannot be followed): this is the answer
    kFollow,     // request the target next
    kTooMany,    // one redirect more than the cap: the request fails
    kDowngrade,  // from https to http: the request fails (what was sent
                 // encrypted, a report's query say, would go out in clear)
  };
  explicit RedirectChain(uint32_t max_redirects, std::wstring start_url = std::wstring())
      : max_(max_redirects), current_(std::move(start_url)) {}
  // `target` is the Location already made absolute; a redirect without one,
  // or to a scheme other than http and https, is taken as the final answer.
  Step Next(uint32_t status, const std::wstring& target);
  uint32_t followed() const { return followed_; }

 private:
  uint32_t max_;
  uint32_t followed_ = 0;
  std::wstring current_;  // the URL whose answer is judged
};

// True for a URL of the two schemes a download may use (case-insensitive).
bool IsHttpUrl(const std::wstring& url);
// True for an https URL (case-insensitive).
bool IsHttpsUrl(const std::wstring& url);

// A "Content-Range: bytes first-last/complete" header; complete is 0 when
// the server wrote "*".
struct ContentRange {
  uint64_t first = 0;
  uint64_t last = 0;
  uint64_t complete = 0;
};
// False for anything else, "bytes */N" (the form of a 416) included.
bool ParseContentRange(const std::wstring& text, ContentRange* range);

// What to do with the answer to a request for the rest of a partial file.
enum class ResumeOutcome {
  kNotResumed,  // no partial file (offset 0), or an answer that is neither 200, 206 nor 416
  kAppend,      // 206 that continues exactly at the offset: append the body
  kFromStart,   // 200: the server ignored the range (or If-Range did not match)
                // and sends the whole file; the partial file goes, this body is it
  kRefused,     // 416, or a 206 of another range or size: the partial file goes
                // and the whole file is asked for again
};

struct ResumeAnswer {
  uint32_t status = 0;
  bool has_content_range = false;
  std::wstring content_range;
  uint32_t content_length = 0;  // 0 when absent
};

// `offset`: the bytes already in the sink; `complete_length`: the size the
// answer that began them announced (0 when unknown). A 206 is appended only
// when its range starts at the offset, runs to the end of a file of that
// size, fits 32 bits and agrees with its own Content-Length.
ResumeOutcome DecideResume(uint32_t offset, uint32_t complete_length, const ResumeAnswer& answer);

// The header lines of a request for what follows `offset` ("" for 0):
// "Range: bytes=N-", and "If-Range: V" when the validator V is known, each
// ending in CR LF.
std::wstring ResumeHeaders(uint32_t offset, const std::wstring& validator);

}  // namespace lite_installer
