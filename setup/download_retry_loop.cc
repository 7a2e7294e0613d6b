// The setup download's attempt loop; portable.
#include "setup/download_retry_loop.h"

#include <initializer_list>

#include "installer/log.h"
#include "setup/body_watch.h"
#include "setup/downloader.h"

namespace lite_installer {
namespace {

constexpr uint64_t kResumePercent = 10;
// ERROR_DISK_FULL and ERROR_HANDLE_DISK_FULL.
constexpr uint32_t kDiskFullCodes[] = {112, 39};

}  // namespace

bool ShouldRestartDownload(uint32_t delivered, uint32_t content_length) {
  // In 64 bits: a 32-bit "length * 10" wraps for setups above 429 MB and
  // would throw away (or keep) the wrong partial files.
  return delivered < static_cast<uint64_t>(content_length) * kResumePercent / 100;
}

bool IsErrorResponse(const std::wstring& error_text) {
  return error_text.compare(0, std::wstring(kFinalQueryInfoErrorPrefix).size(),
                            kFinalQueryInfoErrorPrefix) == 0;
}

bool IsDiscardedBody(const std::wstring& error_text) {
  for (BodyVerdict verdict : {BodyVerdict::kLongerThanAnnounced, BodyVerdict::kOverCap})
    if (error_text == LogText(kInternetReadErrorPrefix, BodyVerdictCode(verdict))) return true;
  for (uint32_t code : kDiskFullCodes)
    if (error_text == LogText(kWriteFileErrorPrefix, code)) return true;
  return false;
}

bool RunDownloadAttempts(DownloadSink* sink, DownloadAttemptSeam* seam) {
  for (int32_t attempt = 1; attempt <= kMaxDownloadAttempts && !seam->StopRequested();
       ++attempt) {
    std::wstring error_text;
    std::wstring redirect_url;
    uint32_t content_length = 0;
    const bool ok = seam->Attempt(sink, &error_text, &redirect_url, &content_length);
    const uint32_t delivered = sink->total();
    // An error page is never the start of the setup: resuming after it would
    // at best waste the next attempt and at worst glue the setup's tail to it.
    if (!ok && (ShouldRestartDownload(delivered, content_length) || IsErrorResponse(error_text) ||
                IsDiscardedBody(error_text)))
      sink->Reset();
    seam->Report(ok, attempt, static_cast<int32_t>(delivered), error_text, redirect_url);
    if (ok) return true;
    if (attempt < kMaxDownloadAttempts) seam->Pause(kDownloadRetryPauseMs);
  }
  // Always the configured maximum, also when a stop ended the loop early.
  LI_LOG(kLogError, kDownloadModuleToFunction, L"Max download attempts failed (",
         kMaxDownloadAttempts, L")");
  return false;
}

}  // namespace lite_installer
