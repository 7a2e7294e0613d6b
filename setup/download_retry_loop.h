// The attempt loop of the setup download: up to five attempts with a pause
// after each failure, a status report after every attempt, and the decision
// whether a failed attempt's partial data is worth resuming from (never when
// it is an error page). Portable:
// the attempt, the report, the pause and the stop check come through a seam,
// so the resume rules are testable without a network (under Wine every resume
// is refused anyway).
#pragma once

#include <cstdint>
#include <string>

#include "setup/download_sink.h"

namespace lite_installer {

// The loop is the body of Installer::DownloadModuleTo; its lines carry that
// name.
constexpr wchar_t kDownloadModuleToFunction[] = L"Installer::DownloadModuleTo";
constexpr int32_t kMaxDownloadAttempts = 5;
constexpr uint32_t kDownloadRetryPauseMs = 15000;

// What the loop needs from the platform.
class DownloadAttemptSeam {
 public:
  virtual ~DownloadAttemptSeam() = default;
  // Zero-time look at the stop event.
  virtual bool StopRequested() = 0;
  // One download attempt into the sink (DownloadUrl); the outs describe it.
  virtual bool Attempt(DownloadSink* sink, std::wstring* error_text, std::wstring* redirect_url,
                       uint32_t* content_length) = 0;
  virtual void Report(bool ok, int32_t attempt, int32_t delivered, const std::wstring& error_text,
                      const std::wstring& redirect_url) = 0;
  // Waits for the stop event at most this long.
  virtual void Pause(uint32_t milliseconds) = 0;
};

// True when a failed attempt delivered less than a tenth of the announced
// size, so that resuming is not worth it and the next attempt starts from 0.
// An unknown size (0) never restarts.
bool ShouldRestartDownload(uint32_t delivered, uint32_t content_length);

// True for the downloader's error text of an answer with a status other than
// 200: what the sink received is an error page.
bool IsErrorResponse(const std::wstring& error_text);

// True for the error texts after which the sink's data is never resumed
// from: a body longer than announced or past the cap is not the setup, and
// a file that filled the disk gives the user the space back at once (the
// next attempt checks the free space again).
bool IsDiscardedBody(const std::wstring& error_text);

// Runs the attempts into the sink. True as soon as one attempt succeeds;
// false after five failures or a stop, with the line
// "Max download attempts failed (5)".
bool RunDownloadAttempts(DownloadSink* sink, DownloadAttemptSeam* seam);

}  // namespace lite_installer
