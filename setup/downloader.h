// One HTTP download attempt over WinINet into a sink, chunk by chunk, so the
// caller can show progress, stop between chunks and resume later. The first
// failure is kept as a short error text ("internet_read-12002") for reports.
// Every request is bounded (request_bounds.h): timeouts on each phase, a cap
// on redirects (followed here, not by WinINet) and an opening that a helper
// thread does within a deadline. A partial file is continued with a range
// request (http_answer.h decides whether the answer continues it).
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
#include "setup/body_watch.h"
#include "setup/download_sink.h"
#include "setup/installer_observer.h"
#include "setup/request_bounds.h"

namespace lite_installer {

// How the error text of an answer whose status was not 200 begins (then the
// status, "-" and the last error): the sink then holds the server's error
// page, which the install flow must never resume from. Portable, so that the
// flow's host-tested code reads the same text the downloader writes.
inline constexpr wchar_t kFinalQueryInfoErrorPrefix[] = L"final_query_info-";
// The error texts of a failed read and a failed write, before their code.
inline constexpr wchar_t kInternetReadErrorPrefix[] = L"internet_read-";
inline constexpr wchar_t kWriteFileErrorPrefix[] = L"write_file-";

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
  // `stop_event` (optional) ends the opening at once; between chunks the
  // caller looks for a stop itself. `limits` are what the body must do as it
  // arrives (the setup's: SetupBodyLimits()).
  explicit Downloader(const RequestBounds& bounds = SetupDownloadBounds(),
                      HANDLE stop_event = nullptr, const BodyLimits& limits = kNoBodyLimits);
  ~Downloader();
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;

  // Connects, sends the request and follows its redirects (never from https
  // to http); true when the answer's head has arrived. A sink that holds
  // data gets the rest of its file appended when the server continues it;
  // otherwise the sink is emptied and the whole file comes (logged as a
  // warning). A file whose rest cannot fit in the sink's free space is not
  // begun: false, "write_file-112", the sink emptied.
  bool OpenDownload(const wchar_t* url, DownloadSink* sink);
  // Reads what has arrived, up to 32768 bytes, into the sink; 0 at the end or
  // on failure. Waits at most the receive timeout for data. A body that
  // breaks the limits fails the attempt (body_watch.h).
  uint32_t ReadChunk();
  // True when no error was recorded and the status is 200 (206 for a resume
  // that was continued).
  bool FinalizeDownload();

  // Who is asked when a proxy wants credentials (proxy_credentials.h);
  // null (the default, and in silent runs): nobody, the 407 fails the attempt.
  void set_proxy_prompt(InstallerObserver* observer) { proxy_prompt_ = observer; }

  const std::wstring& error_text() const { return error_text_; }
  const std::wstring& redirect_url() const { return redirect_url_; }
  // The whole file's size (of a resumed file too), 0 while unknown.
  uint32_t content_length() const { return content_length_; }

  // A new empty file "xb*.tmp" in the directory; empty on failure.
  static std::wstring MakeTempFileName(const std::wstring& directory);

 private:
  void CloseHandles();
  // Waits for data and reads only what has arrived; false on failure, with
  // the thread's last error.
  bool ReadAvailable(DWORD* read);
  // True when the rest of the file fits in the sink's free space (or that
  // is unknown); otherwise empties the sink and fails the opening.
  bool RoomForTheRest(DownloadSink* sink);
  // Records the first failure as "<step>-<code>" and keeps the code as the
  // thread's last error for the log line that follows.
  void SetError(const wchar_t* step, DWORD code);

  std::wstring url_;
  std::wstring error_text_;
  std::wstring redirect_url_;
  uint32_t content_length_ = 0;
  DownloadSink* sink_ = nullptr;
  // Where this response's body starts in the sink, and what it delivered so
  // far: together they tell an announced body from one cut short.
  uint32_t start_offset_ = 0;
  uint32_t received_ = 0;
  // 200, or 206 when the answer continues the sink's data.
  uint32_t expected_status_ = 0;
  RequestBounds bounds_;
  HANDLE stop_event_;
  InstallerObserver* proxy_prompt_ = nullptr;
  BodyLimits limits_;
  BodyWatch watch_{kNoBodyLimits, 0, 0, 0};
  // Declared so that destruction frees the buffer, then closes the request,
  // the connection and the session.
  ScopedInternetHandle internet_;
  ScopedInternetHandle connection_;
  ScopedInternetHandle url_handle_;
  std::unique_ptr<uint8_t[]> buffer_;
};
#endif  // defined(_WIN32)

}  // namespace lite_installer
