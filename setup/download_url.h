// One download attempt from open to finalise, stoppable between chunks, with
// progress for an observer. Used for the setup and for the reports.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "setup/download_sink.h"
#include "setup/installer_observer.h"
#include "setup/request_bounds.h"

namespace lite_installer {

// How a caller asks an attempt to end. The flag is what the attempt looks at
// before every chunk: an atomic load, where a zero-time wait on the event
// cost a wineserver round trip and a yield per 32 KB chunk under Wine. The
// event ends the wait for the opening. Installer::Stop sets the flag before
// it sets the event; with no flag the event is looked at per chunk.
struct DownloadStop {
  HANDLE event = nullptr;
  const std::atomic<bool>* flag = nullptr;
};

// Every out and the observer are optional (null). The defaults are the
// setup download's bounds and body limits.
bool DownloadUrl(const std::wstring& url, DownloadSink* sink, std::wstring* error_text,
                 std::wstring* redirect_url, uint32_t* content_length, const DownloadStop& stop,
                 InstallerObserver* observer, const RequestBounds& bounds = SetupDownloadBounds(),
                 const BodyLimits& limits = SetupBodyLimits());

// One request whose whole time is bounded by bounds.total_ms: it runs on a
// helper thread, and one still running then is left to end by itself, its
// answer dropped, with an error text of the step it was in and 12002
// ("internet_open_url-12002" or "internet_read-12002"). The body goes into
// the sink only when the request has ended.
bool DownloadUrlWithin(const std::wstring& url, DownloadSink* sink, std::wstring* error_text,
                       std::wstring* redirect_url, const RequestBounds& bounds);

}  // namespace lite_installer
