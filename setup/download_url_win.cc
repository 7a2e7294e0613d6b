// One download attempt on WinINet, the system tick count and the caller's
// stop event (see download_attempt.h for the steps).
#include "setup/download_url.h"

#include "setup/download_attempt.h"
#include "setup/downloader.h"

namespace lite_installer {

bool DownloadUrl(const std::wstring& url, DownloadSink* sink, std::wstring* error_text,
                 std::wstring* redirect_url, uint32_t* content_length, HANDLE stop_event,
                 InstallerObserver* observer) {
  Downloader downloader;
  auto stop_requested = [stop_event] {
    return stop_event && ::WaitForSingleObject(stop_event, 0) == WAIT_OBJECT_0;
  };
  auto tick_count = [] { return static_cast<uint32_t>(::GetTickCount()); };
  return RunDownloadAttempt(downloader, url, sink, error_text, redirect_url, content_length,
                            stop_requested, tick_count, observer);
}

}  // namespace lite_installer
