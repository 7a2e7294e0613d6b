// Redirect counting and the resume decision; portable.
#include "setup/http_answer.h"

#include "platform/string_conversion.h"

#include <cwctype>

namespace lite_installer {
namespace {

constexpr uint32_t kRedirectStatuses[] = {301, 302, 303, 307, 308};
constexpr uint32_t kStatusOk = 200;
constexpr uint32_t kStatusPartialContent = 206;
constexpr uint32_t kStatusRangeNotSatisfiable = 416;
constexpr wchar_t kBytesUnit[] = L"bytes";
constexpr wchar_t kHttpsScheme[] = L"https://";
constexpr const wchar_t* kHttpSchemes[] = {L"http://", kHttpsScheme};
constexpr wchar_t kRangeHeader[] = L"Range: bytes=";
constexpr wchar_t kIfRangeHeader[] = L"If-Range: ";
constexpr wchar_t kLineEnd[] = L"\r\n";

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i)
    if (i >= text.size() || std::towlower(text[i]) != std::towlower(prefix[i])) return false;
  return true;
}

void SkipBlanks(const std::wstring& text, size_t* pos) {
  while (*pos < text.size() && (text[*pos] == L' ' || text[*pos] == L'\t')) ++*pos;
}

// Decimal digits at pos (at least one, at most 19 so that nothing wraps).
bool ReadNumber(const std::wstring& text, size_t* pos, uint64_t* value) {
  size_t start = *pos;
  uint64_t v = 0;
  while (*pos < text.size() && text[*pos] >= L'0' && text[*pos] <= L'9') {
    if (*pos - start == 19) return false;
    v = v * 10 + static_cast<uint64_t>(text[*pos] - L'0');
    ++*pos;
  }
  *value = v;
  return *pos > start;
}

bool Expect(const std::wstring& text, size_t* pos, wchar_t c) {
  if (*pos >= text.size() || text[*pos] != c) return false;
  ++*pos;
  return true;
}

}  // namespace

bool IsRedirectStatus(uint32_t status) {
  for (uint32_t redirect : kRedirectStatuses)
    if (status == redirect) return true;
  return false;
}

bool IsHttpUrl(const std::wstring& url) {
  for (const wchar_t* scheme : kHttpSchemes)
    if (StartsWithNoCase(url, scheme)) return true;
  return false;
}

bool IsHttpsUrl(const std::wstring& url) { return StartsWithNoCase(url, kHttpsScheme); }

RedirectChain::Step RedirectChain::Next(uint32_t status, const std::wstring& target) {
  if (!IsRedirectStatus(status) || !IsHttpUrl(target)) return kFinal;
  if (IsHttpsUrl(current_) && !IsHttpsUrl(target)) return kDowngrade;
  if (followed_ >= max_) return kTooMany;
  ++followed_;
  current_ = target;
  return kFollow;
}

bool ParseContentRange(const std::wstring& text, ContentRange* range) {
  size_t pos = 0;
  SkipBlanks(text, &pos);
  if (!StartsWithNoCase(text.substr(pos), kBytesUnit)) return false;
  pos += std::wstring(kBytesUnit).size();
  size_t before = pos;
  SkipBlanks(text, &pos);
  if (pos == before) return false;
  ContentRange r;
  if (!ReadNumber(text, &pos, &r.first) || !Expect(text, &pos, L'-') ||
      !ReadNumber(text, &pos, &r.last) || !Expect(text, &pos, L'/'))
    return false;
  if (pos < text.size() && text[pos] == L'*') {
    ++pos;
    r.complete = 0;
  } else if (!ReadNumber(text, &pos, &r.complete) || r.last >= r.complete) {
    return false;
  }
  SkipBlanks(text, &pos);
  if (pos != text.size() || r.last < r.first) return false;
  *range = r;
  return true;
}

ResumeOutcome DecideResume(uint32_t offset, uint32_t complete_length,
                           const ResumeAnswer& answer) {
  if (offset == 0) return ResumeOutcome::kNotResumed;
  if (answer.status == kStatusOk) return ResumeOutcome::kFromStart;
  if (answer.status == kStatusRangeNotSatisfiable) return ResumeOutcome::kRefused;
  if (answer.status != kStatusPartialContent) return ResumeOutcome::kNotResumed;
  ContentRange range;
  if (!answer.has_content_range || !ParseContentRange(answer.content_range, &range))
    return ResumeOutcome::kRefused;
  const bool continues = range.first == offset && range.complete != 0 &&
                         range.last + 1 == range.complete && range.complete <= UINT32_MAX;
  const bool same_file = complete_length == 0 || range.complete == complete_length;
  const bool own_length_agrees =
      answer.content_length == 0 || answer.content_length == range.complete - offset;
  return continues && same_file && own_length_agrees ? ResumeOutcome::kAppend
                                                     : ResumeOutcome::kRefused;
}

std::wstring ResumeHeaders(uint32_t offset, const std::wstring& validator) {
  if (offset == 0) return std::wstring();
  std::wstring headers =
      kRangeHeader + DecimalText(static_cast<uint64_t>(offset)) + L"-" + kLineEnd;
  if (!validator.empty()) headers += kIfRangeHeader + validator + kLineEnd;
  return headers;
}

}  // namespace lite_installer
