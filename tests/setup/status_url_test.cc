// The three report URLs, parameter by parameter, as the statistics servers
// parse them.
#include "setup/status_url.h"

#include <gtest/gtest.h>

namespace lite_installer {
namespace {

const std::wstring kEndpoint = L"https://stat.test:18443/get/browser/install";
const std::wstring kId = L"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0";

TEST(AttemptReportUrl, FailedFirstAttemptWithoutRedirect) {
  EXPECT_EQ(BuildAttemptReportUrl(kEndpoint, false, 1, 5000, kId,
                                  L"http%3A%2F%2Fdl.test%2Fbrowser%2Fsetup.exe", L"",
                                  L"internet_read-12002"),
            kEndpoint + L"?status=failed&attempt=1&downloaded=5000&ui=" + kId +
                L"&url=http%3A%2F%2Fdl.test%2Fbrowser%2Fsetup.exe&error=internet_read-12002");
}

TEST(AttemptReportUrl, SuccessAfterRedirectCarriesTheHostOnly) {
  EXPECT_EQ(BuildAttemptReportUrl(kEndpoint, true, 2, 1048576, kId, L"u", L"mirror.test", L""),
            kEndpoint + L"?status=success&attempt=2&downloaded=1048576&ui=" + kId +
                L"&url=u&redirect=mirror.test");
}

TEST(AttemptReportUrl, EmptyValuesAndAttemptZeroAreLeftOut) {
  EXPECT_EQ(BuildAttemptReportUrl(kEndpoint, false, 0, 0, L"", L"", L"", L""),
            kEndpoint + L"?status=failed&downloaded=0&ui=");
}

TEST(AttemptReportUrl, NegativeNumbersAreSignedDecimal) {
  // A sink total above 2^31 reaches the report as a signed 32-bit count.
  EXPECT_EQ(BuildAttemptReportUrl(kEndpoint, false, -1, -2147483647 - 1, kId, L"", L"", L""),
            kEndpoint + L"?status=failed&attempt=-1&downloaded=-2147483648&ui=" + kId);
}

TEST(FinishedReportUrl, TimesAreWholeSecondsInFixedOrder) {
  EXPECT_EQ(BuildFinishedReportUrl(kEndpoint, kId, kReportResultSuccess, 95200000, 61900000,
                                   30000000),
            kEndpoint + L"?ui=" + kId +
                L"&result=success&time=95&download_time=61&install_time=30");
}

TEST(FinishedReportUrl, PreDownloadedSetupHasNoDownloadTime) {
  EXPECT_EQ(BuildFinishedReportUrl(kEndpoint, kId, kReportResultSuccess, 31000000, 0, 30000000),
            kEndpoint + L"?ui=" + kId + L"&result=success&time=31&install_time=30");
}

TEST(FinishedReportUrl, FailedVerificationReportsTimeZeroAndNoInstallTime) {
  EXPECT_EQ(BuildFinishedReportUrl(kEndpoint, kId, kReportResultFailed, 0, 61900000, 0),
            kEndpoint + L"?ui=" + kId + L"&result=failed&time=0&download_time=61");
}

TEST(FinishedReportUrl, PhaseShorterThanASecondStillAppears) {
  EXPECT_EQ(BuildFinishedReportUrl(kEndpoint, kId, kReportResultCancelled, 999999, 1, 0),
            kEndpoint + L"?ui=" + kId + L"&result=cancelled&time=0&download_time=0");
}

TEST(FinishedReportUrl, CancelOutweighsWhatTheInstallationCameTo) {
  EXPECT_STREQ(FinishedReportResult(true, true), L"cancelled");
  EXPECT_STREQ(FinishedReportResult(true, false), L"cancelled");
  EXPECT_STREQ(FinishedReportResult(false, true), L"success");
  EXPECT_STREQ(FinishedReportResult(false, false), L"failed");
}

TEST(ClickStatUrl, ValueIsEscapedIntoOneParameter) {
  EXPECT_EQ(BuildClickStatUrl(L"http://click.test:18081", L"clicked_link",
                              L"http://legal.test/browser_agreement/?lang=ru"),
            L"http://click.test:18081/redir/dtype=stred/pid=457/cid=72696/"
            L"path=txbrowser_reinstall_dialog&dialog_window=liteinstall&"
            L"clicked_link=http%3A%2F%2Flegal.test%2Fbrowser_agreement%2F%3Flang%3Dru");
  const std::pair<std::wstring, std::wstring> values[] = {
      {L"A-z_0.9~", L"A-z_0.9~"},
      {L"x\" --evil \"", L"x%22%20--evil%20%22"},
      {L"../../x?y#z", L"..%2F..%2Fx%3Fy%23z"},
      {L"a&b=c+d%e", L"a%26b%3Dc%2Bd%25e"},
      {L"\r\n\t", L"%0D%0A%09"},
      {L"\u0443\u20AC", L"%D1%83%E2%82%AC"},
      {std::wstring(1, wchar_t(0xD800)) + L"x", L"%EF%BF%BDx"},  // an unpaired surrogate
  };
  const std::wstring prefix = BuildClickStatUrl(L"http://c", L"n", L"");
  for (const auto& v : values)
    EXPECT_EQ(prefix + v.second, BuildClickStatUrl(L"http://c", L"n", v.first)) << v.first;
}

TEST(ClickStatUrl, ButtonClick) {
  EXPECT_EQ(BuildClickStatUrl(L"http://c", L"clicked_button", L"install"),
            L"http://c/redir/dtype=stred/pid=457/cid=72696/path=txbrowser_reinstall_dialog"
            L"&dialog_window=liteinstall&clicked_button=install");
}

}  // namespace
}  // namespace lite_installer
