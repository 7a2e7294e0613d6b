// One HTTP download attempt over synchronous WinINet. The error texts are sent
// to the status endpoint as they are, so their step names never change.
#include "setup/downloader.h"

#include <new>

#include "installer/log.h"

namespace lite_installer {
namespace {

constexpr wchar_t kAgent[] = L"Tavrix.Browser lite installer";
constexpr wchar_t kAcceptHeader[] = L"Accept: */*";
constexpr wchar_t kTempFilePrefix[] = L"xb";

constexpr wchar_t kOpenDownload[] = L"lite_installer::Downloader::OpenDownload";
constexpr wchar_t kReadChunk[] = L"lite_installer::Downloader::ReadChunk";
constexpr wchar_t kFinalizeDownload[] = L"lite_installer::Downloader::FinalizeDownload";

constexpr wchar_t kStepInternetOpen[] = L"internet_open";
constexpr wchar_t kStepInternetOpenUrl[] = L"internet_open_url";
constexpr wchar_t kStepSetFilePointer[] = L"internet_set_file_pointer";
constexpr wchar_t kStepInternetRead[] = L"internet_read";
constexpr wchar_t kStepWriteFile[] = L"write_file";

// ERROR_INTERNET_CONNECTION_ABORTED: what a body cut short is recorded as.
constexpr DWORD kConnectionAborted = 12030;

}  // namespace

Downloader::Downloader() : buffer_(new uint8_t[kDownloadChunkSize]()) {}

Downloader::~Downloader() {
  // Frees the buffer, then closes the request, then the session.
  buffer_.reset();
  CloseHandles();
}

void Downloader::CloseHandles() {
  url_handle_.Reset();
  internet_.Reset();
}

void Downloader::SetError(const wchar_t* step, DWORD code) {
  error_text_ = LogText(step, L"-", static_cast<uint32_t>(code));
  ::SetLastError(code);
}

// Runs on the opening thread (the session is synchronous). The context is the
// address of the redirect member of the downloader that opened the request;
// only a redirect replaces it. Nothing can leave the callback: the program is
// built without exceptions, and the one failure the copy can meet (no memory)
// ends the process (installer/runtime_replacements_win.cc).
void CALLBACK Downloader::StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status,
                                         LPVOID info, DWORD info_length) {
  if (status != INTERNET_STATUS_REDIRECT || !context || !info) return;
  *reinterpret_cast<std::wstring*>(context) = static_cast<const wchar_t*>(info);
}

bool Downloader::OpenDownload(const wchar_t* url, DownloadSink* sink) {
  url_.clear();
  error_text_.clear();
  redirect_url_.clear();
  content_length_ = 0;
  sink_ = nullptr;
  start_offset_ = 0;
  received_ = 0;
  CloseHandles();

  internet_.Reset(::InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!internet_.IsValid()) {
    SetError(kStepInternetOpen, ::GetLastError());
    return false;
  }
  if (::InternetSetStatusCallbackW(internet_.Get(), &Downloader::StatusCallback) ==
      INTERNET_INVALID_STATUS_CALLBACK) {
    LI_LOG(kLogError, kOpenDownload, L"SetStatusCallback failed");
  }
  url_handle_.Reset(::InternetOpenUrlW(internet_.Get(), url, kAcceptHeader,
                                       static_cast<DWORD>(-1), INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE,
                                       reinterpret_cast<DWORD_PTR>(&redirect_url_)));
  if (!url_handle_.IsValid()) {
    DWORD code = ::GetLastError();
    ::InternetSetStatusCallbackW(internet_.Get(), nullptr);
    SetError(kStepInternetOpenUrl, code);
    internet_.Reset();
    return false;
  }
  if (sink && sink->total() != 0) {
    // Wine 8 does not implement this for HTTP: it returns
    // INVALID_SET_FILE_POINTER with error 12016 and the body comes from byte 0,
    // so the partial data must go and the next attempt starts afresh.
    DWORD offset = sink->total();
    DWORD position = ::InternetSetFilePointer(url_handle_.Get(), static_cast<LONG>(offset),
                                              nullptr, FILE_BEGIN, 0);
    if (position != offset) {
      SetError(kStepSetFilePointer, ::GetLastError());
      sink->Reset();
    }
  }
  ::InternetSetStatusCallbackW(internet_.Get(), nullptr);

  url_ = url ? url : L"";
  sink_ = sink;
  start_offset_ = sink ? sink->total() : 0;
  LI_LOG(kLogInfo, kOpenDownload, L"Connection established: ", url_);
  return true;
}

uint32_t Downloader::ReadChunk() {
  if (!error_text_.empty()) return 0;
  DWORD read = 0;
  if (!::InternetReadFile(url_handle_.Get(), buffer_.get(), kDownloadChunkSize, &read)) {
    SetError(kStepInternetRead, ::GetLastError());
    LI_LOG(kLogError, kReadChunk, L"Download chunk error.");
    return 0;
  }
  if (read != 0) {
    // Without a sink the data is dropped, as the base sink would.
    if (sink_ && !sink_->Write(buffer_.get(), read)) {
      SetError(kStepWriteFile, ::GetLastError());
      LI_LOG(kLogError, kReadChunk, L"Write file error.");
      return 0;
    }
    received_ += read;
  }
  if (content_length_ == 0) {
    DWORD length = 0;
    DWORD size = sizeof(length);
    if (::HttpQueryInfoW(url_handle_.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                         &length, &size, nullptr)) {
      content_length_ = length;
    }
  }
  // Wine 8 ends a body that the server cut short (closed or reset after part
  // of its Content-Length) with a successful read of 0 bytes, as if it were
  // complete; the status is still 200, so the attempt would count a partial
  // setup as downloaded. A body that ends before its announced length is a
  // broken connection. The start offset keeps a resumed body, whose length
  // may count from byte 0, from being taken for a short one.
  if (read == 0 && content_length_ != 0 &&
      static_cast<uint64_t>(start_offset_) + received_ < content_length_) {
    SetError(kStepInternetRead, kConnectionAborted);
    LI_LOG(kLogError, kReadChunk, L"Download chunk error.");
  }
  return read;
}

bool Downloader::FinalizeDownload() {
  if (!error_text_.empty()) return false;
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (::HttpQueryInfoW(url_handle_.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                       &status, &size, nullptr) &&
      status == HTTP_STATUS_OK) {
    return true;
  }
  DWORD code = ::GetLastError();
  error_text_ = LogText(kFinalQueryInfoErrorPrefix, static_cast<uint32_t>(status), L"-",
                        static_cast<uint32_t>(code));
  ::SetLastError(code);
  LI_LOG(kLogError, kFinalizeDownload, L"Unsuccessful download: ", url_);
  return false;
}

std::wstring Downloader::MakeTempFileName(const std::wstring& directory) {
  if (directory.empty()) return std::wstring();
  wchar_t name[MAX_PATH] = {};
  if (!::GetTempFileNameW(directory.c_str(), kTempFilePrefix, 0, name)) return std::wstring();
  return std::wstring(name);
}

}  // namespace lite_installer
