// The steps of one download attempt, kept apart from WinINet, the tick count
// and the stop event so that the order of observer calls, the stop between
// chunks and the outs can be tested on the host with a fake downloader.
// DownloadUrl runs it on the real ones. Portable.
#pragma once

#include <cstdint>
#include <string>

#include "setup/download_progress.h"
#include "setup/download_sink.h"
#include "setup/installer_observer.h"

namespace lite_installer {

// `downloader` offers OpenDownload, ReadChunk, FinalizeDownload, error_text,
// redirect_url and content_length as lite_installer::Downloader does;
// stop_requested() is polled before every chunk; tick_count() gives
// milliseconds. A null sink fails the attempt before anything is sent.
template <typename DownloaderT, typename StopRequested, typename TickCount>
bool RunDownloadAttempt(DownloaderT& downloader, const std::wstring& url, DownloadSink* sink,
                        std::wstring* error_text, std::wstring* redirect_url,
                        uint32_t* content_length, StopRequested stop_requested,
                        TickCount tick_count, InstallerObserver* observer) {
  bool result = false;
  if (sink && downloader.OpenDownload(url.c_str(), sink)) {
    // A resumed attempt keeps the progress the earlier one showed.
    if (sink->total() == 0 && observer) {
      observer->SetProgress(kDownloadStartPercent);
      observer->SetTimeLeft(-1, kTimeLeftNone);
    }
    const uint32_t start = tick_count();
    uint32_t last_estimate = 0;
    while (!stop_requested()) {
      if (downloader.ReadChunk() > 0) {
        ReportDownloadProgress(sink->total(), downloader.content_length(), tick_count() - start,
                               &last_estimate, observer);
        continue;
      }
      if (downloader.FinalizeDownload()) {
        result = true;
        if (observer) {
          observer->SetProgress(kDownloadEndPercent);
          observer->SetTimeLeft(kInstallTimeLeftSeconds, kTimeLeftUpperBound);
        }
      }
      break;
    }
  }
  if (error_text) *error_text = downloader.error_text();
  if (redirect_url) *redirect_url = downloader.redirect_url();
  if (content_length) *content_length = downloader.content_length();
  return result;
}

}  // namespace lite_installer
