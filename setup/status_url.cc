// The report and click-statistic URLs. The servers parse these by position and
// name, so parameters appear in a fixed order and empty values are left out.
// Portable.
#include "setup/status_url.h"

#include "installer/log_text.h"
#include "platform/clock.h"
#include "platform/url_escape.h"

namespace lite_installer {
namespace {

void AppendIfNotEmpty(std::wstring* url, const wchar_t* name, const std::wstring& value) {
  if (!value.empty()) url->append(LogText(L"&", name, L"=", value));
}

}  // namespace

const wchar_t* FinishedReportResult(bool cancelled, bool success) {
  if (cancelled) return kReportResultCancelled;
  return success ? kReportResultSuccess : kReportResultFailed;
}

std::wstring BuildAttemptReportUrl(const std::wstring& endpoint, bool success, int32_t attempt,
                                   int32_t downloaded, const std::wstring& installation_id,
                                   const std::wstring& escaped_url,
                                   const std::wstring& escaped_redirect_host,
                                   const std::wstring& escaped_error) {
  std::wstring url =
      LogText(endpoint, L"?status=", success ? kReportResultSuccess : kReportResultFailed);
  if (attempt != 0) url.append(LogText(L"&attempt=", attempt));
  url.append(LogText(L"&downloaded=", downloaded, L"&ui=", installation_id));
  AppendIfNotEmpty(&url, L"url", escaped_url);
  AppendIfNotEmpty(&url, L"redirect", escaped_redirect_host);
  AppendIfNotEmpty(&url, L"error", escaped_error);
  return url;
}

std::wstring BuildFinishedReportUrl(const std::wstring& endpoint,
                                    const std::wstring& installation_id,
                                    const wchar_t* result, int64_t total_us,
                                    int64_t download_us, int64_t install_us) {
  std::wstring url = LogText(endpoint, L"?ui=", installation_id, L"&result=", result,
                             L"&time=", DurationInSeconds(total_us));
  // Left out when that phase never ran (a pre-downloaded setup, a failure
  // before the setup started); a phase under a second still reports 0.
  if (download_us != 0) url.append(LogText(L"&download_time=", DurationInSeconds(download_us)));
  if (install_us != 0) url.append(LogText(L"&install_time=", DurationInSeconds(install_us)));
  return url;
}

std::wstring BuildClickStatUrl(const std::wstring& click_base, const std::wstring& name,
                               const std::wstring& value) {
  return LogText(click_base, kClickStatPrefix, EscapeUrlValue(name), L"=", EscapeUrlValue(value));
}

}  // namespace lite_installer
