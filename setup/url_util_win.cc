// URL escaping and host extraction for the reports, through the system's own
// URL helpers so that the server sees what the system would send.
#include "setup/url_util.h"

#include <windows.h>
#include <shlwapi.h>
#include <wininet.h>

namespace lite_installer {
namespace {

// INTERNET_MAX_URL_LENGTH: the longest URL the system helpers handle.
constexpr DWORD kUrlBufferLength = 2084;

}  // namespace

std::wstring EscapeUrlSegment(const std::wstring& text) {
  if (text.empty()) return std::wstring();
  wchar_t escaped[kUrlBufferLength] = {};
  DWORD length = kUrlBufferLength;
  if (FAILED(::UrlEscapeW(text.c_str(), escaped, &length, URL_ESCAPE_SEGMENT_ONLY))) {
    return std::wstring();
  }
  return std::wstring(escaped);
}

std::wstring HostOfUrl(const std::wstring& url) {
  if (url.empty()) return std::wstring();
  wchar_t canonical[kUrlBufferLength] = {};
  DWORD length = kUrlBufferLength;
  if (!::InternetCanonicalizeUrlW(url.c_str(), canonical, &length, ICU_BROWSER_MODE)) {
    return std::wstring();
  }
  wchar_t host[kUrlBufferLength] = {};
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = host;
  parts.dwHostNameLength = kUrlBufferLength;
  if (!::InternetCrackUrlW(canonical, 0, ICU_DECODE, &parts)) return std::wstring();
  return std::wstring(host, wcsnlen(host, parts.dwHostNameLength));
}

}  // namespace lite_installer
