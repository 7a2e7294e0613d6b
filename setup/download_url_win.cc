// One download attempt on WinINet, the system tick count and the caller's
// stop (see download_attempt.h for the steps), and the request with a bound
// on its whole time that the reports use.
#include "setup/download_url.h"

#include <memory>

#include "installer/log.h"
#include "platform/scoped_handle.h"
#include "setup/bounded_work.h"
#include "setup/download_attempt.h"
#include "setup/downloader.h"

namespace lite_installer {
namespace {

constexpr wchar_t kStepOpen[] = L"internet_open_url-";
constexpr wchar_t kStepRead[] = L"internet_read-";

uint32_t TickCount() { return static_cast<uint32_t>(::GetTickCount()); }

// A Downloader that tells whether its opening has ended, so that a request
// left behind can be named by the step it was in.
class PhaseTrackingDownloader {
 public:
  PhaseTrackingDownloader(const RequestBounds& bounds, HANDLE stop_event,
                          std::atomic<bool>* opened)
      : downloader_(bounds, stop_event), opened_(opened) {}
  bool OpenDownload(const wchar_t* url, DownloadSink* sink) {
    const bool ok = downloader_.OpenDownload(url, sink);
    opened_->store(ok);
    return ok;
  }
  uint32_t ReadChunk() { return downloader_.ReadChunk(); }
  bool FinalizeDownload() { return downloader_.FinalizeDownload(); }
  const std::wstring& error_text() const { return downloader_.error_text(); }
  const std::wstring& redirect_url() const { return downloader_.redirect_url(); }
  uint32_t content_length() const { return downloader_.content_length(); }

 private:
  Downloader downloader_;
  std::atomic<bool>* opened_;
};

// The request of DownloadUrlWithin with everything it touches. Its answer is
// kept up to kReportAnswerKeptBytes and counted beyond, and once its bound
// has passed it is abandoned: the opening ends at once (the stop event), the
// body before its next chunk, and a read that blocks in the network when its
// receive timeout ends it. Closing the handle from another thread does not
// end a blocked read under Wine 8 (measured: a request handle closed 1.5 s
// into a blocked InternetReadFile with a 10 s receive timeout; the close
// returned at once, the read 8.5 s later, at its timeout; bounded_work.h
// has the same for the opening). So a left request neither grows nor
// outlives its bound by more than one receive timeout.
class RequestJob : public BoundedWork {
 public:
  RequestJob(std::wstring url, const RequestBounds& bounds)
      : sink(kReportAnswerKeptBytes),
        abandon_event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        url_(std::move(url)),
        bounds_(bounds) {}
  void Run() override {
    PhaseTrackingDownloader downloader(bounds_, abandon_event_.Get(), &opened);
    result = RunDownloadAttempt(downloader, url_, &sink, &error_text, &redirect_url, nullptr,
                                [this] { return abandoned_.load(); }, &TickCount, nullptr);
  }
  void Abandon() {
    abandoned_.store(true);
    ::SetEvent(abandon_event_.Get());
  }
  MemoryDownloadSink sink;
  std::wstring error_text;
  std::wstring redirect_url;
  bool result = false;
  std::atomic<bool> opened{false};

 private:
  std::atomic<bool> abandoned_{false};
  ScopedHandle abandon_event_;
  std::wstring url_;
  RequestBounds bounds_;
};

}  // namespace

bool DownloadUrl(const std::wstring& url, DownloadSink* sink, std::wstring* error_text,
                 std::wstring* redirect_url, uint32_t* content_length, const DownloadStop& stop,
                 InstallerObserver* observer, const RequestBounds& bounds,
                 const BodyLimits& limits) {
  Downloader downloader(bounds, stop.event, limits);
  downloader.set_proxy_prompt(observer);
  auto stop_requested = [&stop] {
    if (stop.flag) return stop.flag->load();
    return stop.event && ::WaitForSingleObject(stop.event, 0) == WAIT_OBJECT_0;
  };
  return RunDownloadAttempt(downloader, url, sink, error_text, redirect_url, content_length,
                            stop_requested, &TickCount, observer);
}

bool DownloadUrlWithin(const std::wstring& url, DownloadSink* sink, std::wstring* error_text,
                       std::wstring* redirect_url, const RequestBounds& bounds) {
  // Not make_shared: its deleter lookup drags the exception runtime in.
  std::shared_ptr<RequestJob> job(new RequestJob(url, bounds));
  // Only the whole bound counts: the opening inside has its own idle bound.
  const uint32_t whole = bounds.total_ms ? bounds.total_ms : OpenPhaseIdleMs(bounds);
  if (RunBounded(job, whole, whole, nullptr) != BoundedOutcome::kDone) {
    job->Abandon();
    if (error_text)
      *error_text = LogText(job->opened.load() ? kStepRead : kStepOpen, kInternetTimeoutCode);
    if (redirect_url) redirect_url->clear();
    return false;
  }
  if (sink && !job->sink.data().empty())
    sink->Write(job->sink.data().data(), static_cast<uint32_t>(job->sink.data().size()));
  if (error_text) *error_text = job->error_text;
  if (redirect_url) *redirect_url = job->redirect_url;
  return job->result;
}

}  // namespace lite_installer
