// The URLs of the status reports and click statistics. The reports take
// values that are already escaped (url_util's, as the system escapes them);
// a click statistic escapes its own name and value.
// Portable.
#pragma once

#include <cstdint>
#include <string>

namespace lite_installer {

// The values of "?status=" in an attempt report and of "&result=" in the
// finished report.
inline constexpr wchar_t kReportResultSuccess[] = L"success";
inline constexpr wchar_t kReportResultFailed[] = L"failed";
inline constexpr wchar_t kReportResultCancelled[] = L"cancelled";

// The finished report's result: a cancel outweighs whatever the installation
// came to.
const wchar_t* FinishedReportResult(bool cancelled, bool success);

// What follows the click base: the statistic's fixed path and query prefix.
inline constexpr wchar_t kClickStatPrefix[] =
    L"/redir/dtype=stred/pid=457/cid=72696/path=txbrowser_reinstall_dialog"
    L"&dialog_window=liteinstall&";

// endpoint + "?status=" ... ; empty escaped values leave their parameter out,
// attempt 0 leaves "&attempt=" out.
std::wstring BuildAttemptReportUrl(const std::wstring& endpoint, bool success, int32_t attempt,
                                   int32_t downloaded, const std::wstring& installation_id,
                                   const std::wstring& escaped_url,
                                   const std::wstring& escaped_redirect_host,
                                   const std::wstring& escaped_error);

// endpoint + "?ui=" + id + "&result=" + result + "&time=" ...; the two
// durations (microseconds) appear only when not 0.
std::wstring BuildFinishedReportUrl(const std::wstring& endpoint,
                                    const std::wstring& installation_id,
                                    const wchar_t* result, int64_t total_us,
                                    int64_t download_us, int64_t install_us);

// click base + fixed prefix + name + "=" + value, name and value escaped
// (EscapeUrlValue): a link with its own query stays one value.
std::wstring BuildClickStatUrl(const std::wstring& click_base, const std::wstring& name,
                               const std::wstring& value);

}  // namespace lite_installer
