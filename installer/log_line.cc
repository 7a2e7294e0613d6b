// Line format of the installer log; portable.
#include "installer/log_line.h"
#include "platform/string_conversion.h"

#include <cwchar>

namespace lite_installer {
namespace {

// Proleptic Gregorian date of a day count from 1970-01-01 (H. Hinnant's
// days-to-civil algorithm).
void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t month_index = (5 * day_of_year + 2) / 153;
  *day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
  *month = static_cast<int>(month_index < 10 ? month_index + 3 : month_index - 9);
  *year = static_cast<int>(year_of_era + era * 400 + (*month <= 2 ? 1 : 0));
}

// Formats into a buffer of `count` units, always terminated. On Windows with
// the C runtime's own _snwprintf: the C99 swprintf of the mingw runtime would
// bring a printf implementation of its own into the program (about 20 KB).
template <typename... Args>
void FormatInto(wchar_t* buffer, size_t count, const wchar_t* format, Args... args) {
#if defined(_WIN32)
  _snwprintf(buffer, count - 1, format, args...);
  buffer[count - 1] = L'\0';
#else
  std::swprintf(buffer, count, format, args...);
#endif
}

}  // namespace

const wchar_t* LogLevelText(int level) {
  switch (level) {
    case kLogError:
      return L"ERROR: ";
    case kLogWarning:
      return L"WARNING: ";
    default:
      return L"INFO: ";
  }
}

std::wstring BuildLogLinePrefix(int64_t utc_seconds, uint32_t thread_id, int level,
                                const std::wstring& function, int line) {
  // "%Y-%m-%d %H:%M:%S <" computed here rather than by gmtime and wcsftime:
  // with the 32-bit time_t of the mingw runtime both fail after 2038-01-19
  // (measured under Wine: gmtime_s returns 22), which left lines without
  // their stamp.
  int64_t days = utc_seconds / 86400;
  int64_t seconds_of_day = utc_seconds % 86400;
  if (seconds_of_day < 0) {
    seconds_of_day += 86400;
    --days;
  }
  int year, month, day;
  CivilFromDays(days, &year, &month, &day);
  wchar_t stamp[64];
  FormatInto(stamp, 64, L"%04d-%02d-%02d %02d:%02d:%02d <", year, month, day,
                static_cast<int>(seconds_of_day / 3600), static_cast<int>(seconds_of_day / 60 % 60),
                static_cast<int>(seconds_of_day % 60));
  std::wstring text(stamp);
  text += DecimalText(static_cast<uint64_t>(thread_id));
  text += L"> ";
  text += LogLevelText(level);
  text += function;
  text += L" (";
  text += DecimalText(static_cast<int64_t>(line));
  text += L"): ";
  return text;
}

void FinishLogLine(int level, const std::wstring& error_text, std::wstring* line) {
  if (level == kLogError) {
    line->append(L" Last error: ");
    line->append(error_text);
  } else {
    line->append(L"\n");
  }
}

std::wstring UnknownErrorText(uint32_t code) {
  wchar_t hex[16];
  FormatInto(hex, 16, L"%x", static_cast<unsigned>(code));
  return std::wstring(L"unknown error 0x") + hex + L"\n";
}

}  // namespace lite_installer
