// One HTTP download attempt over synchronous WinINet. The error texts are sent
// to the status endpoint as they are, so their step names never change: every
// failure of the opening (connection, request, redirects) is
// "internet_open_url-", as when InternetOpenUrlW did all of it.
#include "setup/downloader.h"

#include <algorithm>
#include <new>

#include "installer/log.h"
#include "setup/bounded_work.h"
#include "setup/http_answer.h"
#include "setup/proxy_credentials.h"

namespace lite_installer {
namespace {

constexpr wchar_t kAgent[] = L"Tavrix.Browser lite installer";
constexpr wchar_t kAcceptHeader[] = L"Accept: */*\r\n";
constexpr wchar_t kGetVerb[] = L"GET";
constexpr wchar_t kRootPath[] = L"/";
constexpr wchar_t kTempFilePrefix[] = L"xb";

constexpr wchar_t kOpenDownload[] = L"lite_installer::Downloader::OpenDownload";
constexpr wchar_t kReadChunk[] = L"lite_installer::Downloader::ReadChunk";
constexpr wchar_t kFinalizeDownload[] = L"lite_installer::Downloader::FinalizeDownload";

constexpr wchar_t kStepInternetOpen[] = L"internet_open";
constexpr wchar_t kStepInternetOpenUrl[] = L"internet_open_url";
constexpr wchar_t kStepInternetRead[] = L"internet_read";
constexpr wchar_t kStepWriteFile[] = L"write_file";

// ERROR_INTERNET_CONNECTION_ABORTED: what a body cut short is recorded as.
constexpr DWORD kConnectionAborted = 12030;
// ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR: a redirect from https to http, which
// would send the rest of the exchange (a report's query, the setup) in clear.
constexpr DWORD kHttpsToHttpRedirect = 12040;

// Never from the cache, and nothing written to it: the setup would otherwise
// land a second time in the user's cache (measured under Wine: with
// INTERNET_FLAG_RELOAD alone a full copy of the body appears in INetCache).
// PRAGMA_NOCACHE asks proxies for a fresh copy as well, so that a range is
// served from the same file as the start. Redirects are followed here, within
// the cap: WinINet follows them without end.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_KEEP_CONNECTION;

constexpr uint32_t kStatusOk = 200;
constexpr uint32_t kStatusPartialContent = 206;

// Sets the three timeouts on a handle. Windows honours them on the session
// and passes them on; Wine 8 keeps the receive timeout only when it is set on
// the connection or the request (measured: set on the session, a server that
// never answers held HttpSendRequestW for ever), and ignores the connect
// timeout altogether, so every handle gets them.
void ApplyTimeouts(HINTERNET handle, const RequestBounds& bounds) {
  const struct {
    DWORD option;
    DWORD value;
  } timeouts[] = {{INTERNET_OPTION_CONNECT_TIMEOUT, bounds.connect_ms},
                  {INTERNET_OPTION_SEND_TIMEOUT, bounds.send_ms},
                  {INTERNET_OPTION_RECEIVE_TIMEOUT, bounds.receive_ms}};
  for (const auto& timeout : timeouts) {
    DWORD value = timeout.value;
    ::InternetSetOptionW(handle, timeout.option, &value, sizeof(value));
  }
}

bool QueryNumber(HINTERNET request, DWORD info, uint32_t* value) {
  DWORD number = 0;
  DWORD size = sizeof(number);
  if (!::HttpQueryInfoW(request, info | HTTP_QUERY_FLAG_NUMBER, &number, &size, nullptr))
    return false;
  *value = number;
  return true;
}

bool QueryText(HINTERNET request, DWORD info, std::wstring* text) {
  std::wstring buffer(256, L'\0');
  for (int round = 0; round < 2; ++round) {
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::HttpQueryInfoW(request, info, &buffer[0], &size, nullptr)) {
      buffer.resize(size / sizeof(wchar_t));
      *text = buffer;
      return true;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
  }
  return false;
}

// A Location made absolute against the URL it came from; empty when it
// cannot be.
std::wstring CombineUrl(const std::wstring& base, const std::wstring& location) {
  std::wstring buffer(INTERNET_MAX_URL_LENGTH, L'\0');
  for (int round = 0; round < 2; ++round) {
    DWORD length = static_cast<DWORD>(buffer.size());
    if (::InternetCombineUrlW(base.c_str(), location.c_str(), &buffer[0], &length, 0)) {
      buffer.resize(length);
      return buffer;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::wstring();
    buffer.assign(length + 1, L'\0');
  }
  return std::wstring();
}

std::wstring Part(const wchar_t* text, DWORD length) {
  return text ? std::wstring(text, length) : std::wstring();
}

// The opening of one download, done by a helper thread within the deadline
// (bounded_work.h): the session, the request, its redirects, and a second
// request for the whole file when a resume was refused. The downloader reads
// the results only once Run has returned; a helper left behind closes its
// handles itself when its last call ends.
class OpenJob : public BoundedWork {
 public:
  // In.
  std::wstring url;
  RequestBounds bounds{};
  uint32_t offset = 0;            // bytes already in the sink
  std::wstring validator;         // of the answer that began them
  uint32_t complete_length = 0;   // the size that answer announced
  // Out.
  ScopedInternetHandle internet;
  ScopedInternetHandle connection;
  ScopedInternetHandle request;
  const wchar_t* error_step = nullptr;
  DWORD error_code = 0;
  std::wstring redirect_url;
  uint32_t status = 0;
  ResumeOutcome resume = ResumeOutcome::kNotResumed;
  uint32_t resume_status = 0;     // the answer to the range request
  uint32_t content_length = 0;    // this answer's Content-Length
  uint32_t range_complete = 0;    // the file's size from Content-Range (kAppend)
  std::wstring answer_validator;  // ETag, else Last-Modified

  void Run() override {
    internet.Reset(::InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet.IsValid()) return Fail(kStepInternetOpen, ::GetLastError());
    ApplyTimeouts(internet.Get(), bounds);
    RedirectChain chain(bounds.max_redirects, url);
    std::wstring current = url;
    uint32_t ask_from = offset;
    for (;;) {
      NoteProgress();
      if (!Send(current, ask_from)) return;
      status = 0;
      QueryNumber(request.Get(), HTTP_QUERY_STATUS_CODE, &status);
      std::wstring location;
      if (IsRedirectStatus(status) && QueryText(request.Get(), HTTP_QUERY_LOCATION, &location)) {
        const std::wstring target = CombineUrl(current, location);
        const RedirectChain::Step step = chain.Next(status, target);
        if (step == RedirectChain::kTooMany) return Fail(kStepInternetOpenUrl, ERROR_HTTP_REDIRECT_FAILED);
        if (step == RedirectChain::kDowngrade) return Fail(kStepInternetOpenUrl, kHttpsToHttpRedirect);
        if (step == RedirectChain::kFollow) {
          redirect_url = target;
          current = target;
          continue;
        }
      }
      if (ask_from != 0) {
        ResumeAnswer answer;
        answer.status = status;
        answer.has_content_range =
            QueryText(request.Get(), HTTP_QUERY_CONTENT_RANGE, &answer.content_range);
        QueryNumber(request.Get(), HTTP_QUERY_CONTENT_LENGTH, &answer.content_length);
        resume = DecideResume(ask_from, complete_length, answer);
        resume_status = status;
        if (resume == ResumeOutcome::kAppend) {
          ContentRange range;
          ParseContentRange(answer.content_range, &range);
          range_complete = static_cast<uint32_t>(range.complete);
        } else if (resume == ResumeOutcome::kRefused) {
          // Not the rest of this file: ask for all of it (once: the offset
          // is 0 from here on).
          ask_from = 0;
          continue;
        }
      }
      break;
    }
    content_length = 0;
    QueryNumber(request.Get(), HTTP_QUERY_CONTENT_LENGTH, &content_length);
    if (!QueryText(request.Get(), HTTP_QUERY_ETAG, &answer_validator))
      QueryText(request.Get(), HTTP_QUERY_LAST_MODIFIED, &answer_validator);
  }

 private:
  void Fail(const wchar_t* step, DWORD code) {
    error_step = step;
    error_code = code;
  }

  // One GET of `target` on a fresh connection handle (WinINet keeps the
  // socket alive underneath); false with the error recorded.
  bool Send(const std::wstring& target, uint32_t ask_from) {
    request.Reset();
    connection.Reset();
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    // Lengths of 1 with no buffers: the parts point into the text.
    parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength = 1;
    parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!::InternetCrackUrlW(target.c_str(), 0, 0, &parts)) {
      Fail(kStepInternetOpenUrl, ::GetLastError());
      return false;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
      Fail(kStepInternetOpenUrl, ERROR_INTERNET_UNRECOGNIZED_SCHEME);
      return false;
    }
    const std::wstring host = Part(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring user = Part(parts.lpszUserName, parts.dwUserNameLength);
    const std::wstring password = Part(parts.lpszPassword, parts.dwPasswordLength);
    std::wstring object = Part(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (object.empty()) object = kRootPath;
    std::wstring extra = Part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    extra = extra.substr(0, extra.find(L'#'));  // a fragment is never sent
    object += extra;

    connection.Reset(::InternetConnectW(internet.Get(), host.c_str(), parts.nPort,
                                        user.empty() ? nullptr : user.c_str(),
                                        password.empty() ? nullptr : password.c_str(),
                                        INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.IsValid()) {
      Fail(kStepInternetOpenUrl, ::GetLastError());
      return false;
    }
    ApplyTimeouts(connection.Get(), bounds);
    const DWORD flags =
        kRequestFlags | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    request.Reset(::HttpOpenRequestW(connection.Get(), kGetVerb, object.c_str(), nullptr, nullptr,
                                     nullptr, flags, 0));
    if (!request.IsValid()) {
      Fail(kStepInternetOpenUrl, ::GetLastError());
      return false;
    }
    ApplyTimeouts(request.Get(), bounds);
    ApplyProxyCredentials(request.Get());
    const std::wstring headers =
        kAcceptHeader + ResumeHeaders(ask_from, ask_from == offset ? validator : std::wstring());
    const DWORD start = ::GetTickCount();
    if (!::HttpSendRequestW(request.Get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                            nullptr, 0)) {
      const DWORD code = ::GetLastError();
      Fail(kStepInternetOpenUrl, StallErrorCode(code, ::GetTickCount() - start, bounds.receive_ms));
      return false;
    }
    return true;
  }
};

}  // namespace

Downloader::Downloader(const RequestBounds& bounds, HANDLE stop_event, const BodyLimits& limits)
    : bounds_(bounds),
      stop_event_(stop_event),
      limits_(limits),
      buffer_(new uint8_t[kDownloadChunkSize]()) {}

Downloader::~Downloader() {
  // Frees the buffer, then closes the request, the connection and the session.
  buffer_.reset();
  CloseHandles();
}

void Downloader::CloseHandles() {
  url_handle_.Reset();
  connection_.Reset();
  internet_.Reset();
}

void Downloader::SetError(const wchar_t* step, DWORD code) {
  error_text_ = LogText(step, L"-", static_cast<uint32_t>(code));
  ::SetLastError(code);
}

bool Downloader::OpenDownload(const wchar_t* url, DownloadSink* sink) {
  url_.clear();
  error_text_.clear();
  redirect_url_.clear();
  content_length_ = 0;
  sink_ = nullptr;
  start_offset_ = 0;
  received_ = 0;
  expected_status_ = kStatusOk;
  CloseHandles();

  // Not make_shared: its deleter lookup drags the exception runtime in.
  std::shared_ptr<OpenJob> job(new OpenJob());
  job->url = url ? url : L"";
  job->bounds = bounds_;
  if (sink) {
    job->offset = sink->total();
    job->validator = sink->origin_validator();
    job->complete_length = sink->origin_length();
  }
  switch (RunBounded(job, OpenPhaseIdleMs(bounds_), bounds_.total_ms, stop_event_)) {
    case BoundedOutcome::kTimedOut:
      SetError(kStepInternetOpenUrl, kInternetTimeoutCode);
      return false;
    case BoundedOutcome::kStopped:
      SetError(kStepInternetOpenUrl, ERROR_INTERNET_OPERATION_CANCELLED);
      return false;
    case BoundedOutcome::kDone:
      break;
  }
  if (!job->error_step && job->status == kStatusProxyAuthRequired) {
    LI_LOG(kLogWarning, kOpenDownload, L"The proxy asks for credentials: ", job->url);
    // Only the dialog can ask the user; a silent run fails with the 407.
    if (proxy_prompt_) {
      // The user's time at the prompt counts in no bound. With credentials
      // the same attempt opens again, and its requests carry them.
      std::shared_ptr<ProxyCredentialQuestion> question(
          new ProxyCredentialQuestion(job, job->request.Get()));
      switch (ProxyCredentialQuestion::Ask(question, proxy_prompt_, stop_event_)) {
        case ProxyCredentialQuestion::kGiven:
          question.reset();
          job.reset();  // the refused request is closed before the next one
          return OpenDownload(url, sink);
        case ProxyCredentialQuestion::kStopped:
          SetError(kStepInternetOpenUrl, ERROR_INTERNET_OPERATION_CANCELLED);
          return false;
        case ProxyCredentialQuestion::kRefused:
          break;  // the 407 answer fails the attempt
      }
    }
  }
  redirect_url_ = job->redirect_url;
  if (job->error_step) {
    SetError(job->error_step, job->error_code);
    return false;
  }
  internet_.Reset(job->internet.Release());
  connection_.Reset(job->connection.Release());
  url_handle_.Reset(job->request.Release());

  if (job->resume == ResumeOutcome::kAppend) {
    expected_status_ = kStatusPartialContent;
    content_length_ = job->range_complete;
  } else {
    if (job->resume != ResumeOutcome::kNotResumed) {
      LI_LOG(kLogWarning, kOpenDownload, L"Resume at byte ", job->offset, L" refused (status ",
             job->resume_status, L"); the download starts again from byte 0.");
      sink->Reset();
    }
    content_length_ = job->content_length;
    if (sink && sink->total() == 0 && job->status == kStatusOk)
      sink->SetOrigin(job->answer_validator, job->content_length);
  }

  if (!RoomForTheRest(sink)) return false;
  url_ = url ? url : L"";
  sink_ = sink;
  start_offset_ = sink ? sink->total() : 0;
  // This body's own length: the whole file's, less what a continued resume
  // already holds.
  const uint32_t announced = content_length_ ? content_length_ - start_offset_ : 0;
  watch_ = BodyWatch(limits_, start_offset_, announced, ::GetTickCount());
  LI_LOG(kLogInfo, kOpenDownload, L"Connection established: ", url_);
  return true;
}

bool Downloader::RoomForTheRest(DownloadSink* sink) {
  uint64_t free_bytes = 0;
  if (!sink || !sink->FreeSpace(&free_bytes) ||
      RestFitsInFreeSpace(content_length_, sink->total(), free_bytes))
    return true;
  const uint32_t needed = content_length_ - sink->total();
  // The partial file goes at once: the rest could not follow it, and the
  // user gets its space back (the attempt loop may try again later).
  sink->Reset();
  CloseHandles();
  SetError(kStepWriteFile, ERROR_DISK_FULL);
  LI_LOG(kLogError, kOpenDownload, L"Not enough free disk space for the download: ", needed,
         L" bytes to come, ", free_bytes, L" bytes free.");
  return false;
}

bool Downloader::ReadAvailable(DWORD* read) {
  // Only what has arrived is read: a read returns only once its whole size
  // has come (measured under Wine 8: a read of 32768 bytes from a server that
  // drips a byte every half second had not returned after a minute, and the
  // receive timeout never fires while bytes keep coming), so a full-size read
  // from a dripping server would take hours. The wait for data ends within
  // the receive timeout. Under Wine this reads 8 KB per call at full speed.
  DWORD available = 0;
  if (!::InternetQueryDataAvailable(url_handle_.Get(), &available, 0, 0)) return false;
  // 0 at the end of the data: a read of one byte then ends at once.
  const DWORD size = available == 0 ? 1 : std::min<DWORD>(available, kDownloadChunkSize);
  return ::InternetReadFile(url_handle_.Get(), buffer_.get(), size, read) != FALSE;
}

uint32_t Downloader::ReadChunk() {
  if (!error_text_.empty()) return 0;
  DWORD read = 0;
  const DWORD start = ::GetTickCount();
  if (!ReadAvailable(&read)) {
    const DWORD code = ::GetLastError();
    SetError(kStepInternetRead, StallErrorCode(code, ::GetTickCount() - start, bounds_.receive_ms));
    LI_LOG(kLogError, kReadChunk, L"Download chunk error.");
    return 0;
  }
  if (read != 0) {
    const BodyVerdict verdict = watch_.OnChunk(read, ::GetTickCount());
    // Bytes beyond the announced length or the cap never reach the sink.
    if (verdict == BodyVerdict::kLongerThanAnnounced || verdict == BodyVerdict::kOverCap) {
      SetError(kStepInternetRead, BodyVerdictCode(verdict));
      if (verdict == BodyVerdict::kOverCap) {
        LI_LOG(kLogError, kReadChunk, L"Body without Content-Length passed ",
               limits_.unannounced_cap, L" bytes.");
      } else {
        LI_LOG(kLogError, kReadChunk, L"Body longer than its Content-Length of ",
               content_length_ - start_offset_, L" bytes.");
      }
      return 0;
    }
    // Without a sink the data is dropped, as the base sink would.
    if (sink_ && !sink_->Write(buffer_.get(), read)) {
      SetError(kStepWriteFile, ::GetLastError());
      LI_LOG(kLogError, kReadChunk, L"Write file error.");
      return 0;
    }
    received_ += read;
    if (verdict == BodyVerdict::kTooSlow) {
      SetError(kStepInternetRead, BodyVerdictCode(verdict));
      LI_LOG(kLogError, kReadChunk, L"Download stalled: fewer than ",
             limits_.low_speed_min_bytes, L" bytes in ", limits_.low_speed_window_ms, L" ms.");
      return 0;
    }
  }
  // Wine 8 ends a body that the server cut short (closed or reset after part
  // of its Content-Length) with a successful read of 0 bytes, as if it were
  // complete; the status is still 200, so the attempt would count a partial
  // setup as downloaded. A body that ends before its announced length is a
  // broken connection. For a continued resume the length is the whole
  // file's, and the body starts at the sink's earlier total.
  if (read == 0 && content_length_ != 0 &&
      static_cast<uint64_t>(start_offset_) + received_ < content_length_) {
    SetError(kStepInternetRead, kConnectionAborted);
    LI_LOG(kLogError, kReadChunk, L"Download chunk error.");
  }
  return read;
}

bool Downloader::FinalizeDownload() {
  if (!error_text_.empty()) return false;
  uint32_t status = 0;
  if (QueryNumber(url_handle_.Get(), HTTP_QUERY_STATUS_CODE, &status) &&
      status == expected_status_) {
    return true;
  }
  DWORD code = ::GetLastError();
  error_text_ = LogText(kFinalQueryInfoErrorPrefix, status, L"-", static_cast<uint32_t>(code));
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
