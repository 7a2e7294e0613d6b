// One HTTP download attempt over WinINet into a sink, chunk by chunk, so the
// caller can show progress, stop between chunks and resume later. The first
// failure is kept as a short error text ("internet_read-12002") for reports.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "setup/download_sink.h"

namespace lite_installer {

class Downloader {
 public:
  Downloader();
  ~Downloader();
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;

  // Connects and sends the request; true when the URL handle exists (an error
  // text may still be set by a refused resume).
  bool OpenDownload(const wchar_t* url, DownloadSink* sink);
  // Reads up to 32768 bytes into the sink; 0 at the end or on failure.
  uint32_t ReadChunk();
  // True when no error was recorded and the status is 200.
  bool FinalizeDownload();

  const std::wstring& error_text() const { return error_text_; }
  const std::wstring& redirect_url() const { return redirect_url_; }
  uint32_t content_length() const { return content_length_; }

  // A new empty file "xb*.tmp" in the directory; empty on failure.
  static std::wstring MakeTempFileName(const std::wstring& directory);

 private:
  void CloseHandles();

  std::wstring url_;
  std::wstring error_text_;
  std::wstring redirect_url_;
  uint32_t content_length_ = 0;
  DownloadSink* sink_ = nullptr;
  HINTERNET internet_ = nullptr;
  HINTERNET url_handle_ = nullptr;
  uint8_t* buffer_ = nullptr;
};

}  // namespace lite_installer
