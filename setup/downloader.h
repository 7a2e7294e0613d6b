// One HTTP download attempt over WinINet into a sink, chunk by chunk, so the
// caller can show progress, stop between chunks and resume later. The first
// failure is kept as a short error text ("internet_read-12002") for reports.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#include <wininet.h>
#endif

#include <cstdint>
#include <memory>
#include <string>

#if defined(_WIN32)
#include "platform/scoped_handle.h"
#endif
#include "setup/download_sink.h"

namespace lite_installer {

// How the error text of an answer whose status was not 200 begins (then the
// status, "-" and the last error): the sink then holds the server's error
// page, which the install flow must never resume from. Portable, so that the
// flow's host-tested code reads the same text the downloader writes.
inline constexpr wchar_t kFinalQueryInfoErrorPrefix[] = L"final_query_info-";

#if defined(_WIN32)

// Owner of a WinINet handle (session or request).
struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using ScopedInternetHandle = ScopedGeneric<InternetHandleTraits>;

// The read buffer's size: one chunk.
constexpr uint32_t kDownloadChunkSize = 32768;

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
  // Records the first failure as "<step>-<code>" and keeps the code as the
  // thread's last error for the log line that follows.
  void SetError(const wchar_t* step, DWORD code);
  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status,
                                      LPVOID info, DWORD info_length);

  std::wstring url_;
  std::wstring error_text_;
  std::wstring redirect_url_;
  uint32_t content_length_ = 0;
  DownloadSink* sink_ = nullptr;
  // Where this response's body starts in the sink, and what it delivered so
  // far: together they tell an announced body from one cut short.
  uint32_t start_offset_ = 0;
  uint32_t received_ = 0;
  // Declared so that destruction frees the buffer, then closes the request,
  // then the session.
  ScopedInternetHandle internet_;
  ScopedInternetHandle url_handle_;
  std::unique_ptr<uint8_t[]> buffer_;
};
#endif  // defined(_WIN32)

}  // namespace lite_installer
