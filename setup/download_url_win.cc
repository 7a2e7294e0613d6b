// One download attempt on WinINet, the system tick count and the caller's
// stop (see download_attempt.h for the steps), and the request with a bound
// on its whole time that the reports use.
#include "setup/download_url.h"

#include <memory>

#include "installer/log.h"
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
  PhaseTrackingDownloader(const RequestBounds& bounds, std::atomic<bool>* opened)
      : downloader_(bounds), opened_(opened) {}
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

// The request of DownloadUrlWithin with everything it touches.
class RequestJob : public BoundedWork {
 public:
  RequestJob(std::wstring url, const RequestBounds& bounds) : url_(std::move(url)), bounds_(bounds) {}
  void Run() override {
    PhaseTrackingDownloader downloader(bounds_, &opened);
    result = RunDownloadAttempt(downloader, url_, &sink, &error_text, &redirect_url, nullptr,
                                [] { return false; }, &TickCount, nullptr);
  }
  MemoryDownloadSink sink;
  std::wstring error_text;
  std::wstring redirect_url;
  bool result = false;
  std::atomic<bool> opened{false};

 private:
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
