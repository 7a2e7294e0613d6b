// The status reports of an installation, the click statistics and the single
// request they are sent with. A request is sent once and its answer dropped;
// a failure is only logged and never touches the installation. After a
// cancel, attempt reports stop and the final report says "cancelled".
#include "build_config.h"
#include "installer/log.h"
#include "platform/string_conversion.h"
#include "setup/background_sender.h"
#include "setup/download_url.h"
#include "setup/install_flow.h"
#include "setup/status_url.h"
#include "setup/url_util.h"

namespace lite_installer {
namespace {

constexpr wchar_t kClickedButton[] = L"clicked_button";
constexpr wchar_t kSendClickStat[] = L"Installer::SendClickStat";
constexpr wchar_t kCannotSendClickStat[] = L"Cannot send click stat: ";
constexpr wchar_t kNotQueued[] = L"not sent, the process is ending: ";

// One GET whose body is thrown away; error_text receives the request's own
// error text.
bool SendRequest(const std::wstring& url, std::wstring* error_text) {
  MemoryDownloadSink sink(kReportAnswerKeptBytes);
  std::wstring redirect_url;
  return Installer::Download(url, &sink, error_text, &redirect_url);
}

}  // namespace

bool Installer::Download(const std::wstring& url, DownloadSink* sink, std::wstring* error_text,
                         std::wstring* redirect_url) {
  LI_LOG(kLogInfo, L"Installer::Download", L"Attempt to download module: ", url);
  if (!sink) return false;
  sink->Reset();
  // Bounded as a whole: a status endpoint that accepts and never answers
  // (or answers byte by byte) costs the installation at most the report
  // bound, and the installation goes on.
  return DownloadUrlWithin(url, sink, error_text, redirect_url, ReportBounds());
}

void Installer::ReportStatus(bool success, const std::wstring& url, int32_t attempt,
                             int32_t downloaded, const std::wstring& error_text,
                             const std::wstring& redirect_url) {
  if (cancelled()) return;
  const std::wstring report = BuildAttemptReportUrl(
      Widen(LI_STATUS_ENDPOINT), success, attempt, downloaded, installation_id(),
      EscapeUrlSegment(url), EscapeUrlSegment(HostOfUrl(redirect_url)),
      EscapeUrlSegment(error_text));
  std::wstring request_error;
  if (!SendRequest(report, &request_error))
    LI_LOG(kLogError, L"Installer::ReportStatus", L"Cannot report download status: ",
           request_error);
}

void Installer::ReportInstallationFinished(bool success) {
  const wchar_t* result = FinishedReportResult(cancelled(), success);
  const std::wstring report =
      BuildFinishedReportUrl(Widen(LI_STATUS_ENDPOINT), installation_id(), result, total_time_,
                             download_time_, install_time_);
  std::wstring request_error;
  if (!SendRequest(report, &request_error))
    LI_LOG(kLogError, L"Installer::ReportInstallationFinished",
           L"Cannot report installation status: ", request_error);
}

namespace {

// On the background sender's thread.
void SendClickStatNow(const std::wstring& url) {
  std::wstring request_error;
  if (!SendRequest(url, &request_error))
    LI_LOG(kLogError, kSendClickStat, kCannotSendClickStat, request_error);
}

}  // namespace

// Called on the dialog thread, which must never wait on the network: the
// statistic is handed to the background sender, which keeps the order.
void Installer::SendClickStat(const std::wstring& name, const std::wstring& value) {
  const std::wstring url = BuildClickStatUrl(Widen(LI_CLICK_BASE), name, value);
  if (!QueueBackgroundRequest(&SendClickStatNow, url))
    LI_LOG(kLogError, kSendClickStat, kCannotSendClickStat, kNotQueued, url);
}

void SendButtonClick(const std::wstring& value) { Installer::SendClickStat(kClickedButton, value); }

}  // namespace lite_installer
