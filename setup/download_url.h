// One download attempt from open to finalise, stoppable between chunks, with
// progress for an observer. Used for the setup and for the reports.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "setup/download_sink.h"
#include "setup/installer_observer.h"

namespace lite_installer {

// Every out and the stop event and observer are optional (null).
bool DownloadUrl(const std::wstring& url, DownloadSink* sink, std::wstring* error_text,
                 std::wstring* redirect_url, uint32_t* content_length, HANDLE stop_event,
                 InstallerObserver* observer);

}  // namespace lite_installer
