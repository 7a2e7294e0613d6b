// Progress bands, the time-left line and the progress bar's fill; portable.
#include "ui/progress_values.h"

#include <cstdarg>
#include <cwchar>

namespace lite_installer {
namespace {

constexpr size_t kTimeLeftBufferUnits = 512;

// As the download's blend: volatile stores round every step to single
// precision, so the 32-bit build (x87) truncates the same value as others.
int32_t Blend(float x, float from, float to) {
  volatile float a = (1.0f - x) * from;
  volatile float b = x * to;
  volatile float sum = a + b;
  return static_cast<int32_t>(sum);
}

}  // namespace

int32_t ImportProgressPercent(int32_t import_percent) {
  volatile float x = static_cast<float>(import_percent) / 100.0f;
  return Blend(x, 80.0f, 100.0f);
}

bool ImportProgressFromMessage(uint64_t wparam, int32_t* percent) {
  constexpr uint64_t kImportDone = 100;
  if (wparam > kImportDone) return false;
  *percent = ImportProgressPercent(static_cast<int32_t>(wparam));
  return true;
}

bool ImportStageSecondsLeft(int32_t stage, int32_t* seconds) {
  switch (stage) {
    case 1: *seconds = 60; return true;
    case 2: *seconds = 30; return true;
    case 3: *seconds = 10; return true;
    default: return false;
  }
}

TimeLeftLine ChooseTimeLeftLine(int32_t seconds, int32_t kind) {
  const uint32_t minutes = static_cast<uint32_t>(seconds) / 60;
  TimeLeftLine line;
  line.number = minutes > 0 ? static_cast<int32_t>(minutes) : seconds;
  switch (kind) {
    case kTimeLeftEstimate:
      line.string_id = minutes > 0 ? kTimeLeftMinutesString : kTimeLeftSecondsString;
      break;
    case kTimeLeftUpperBound:
      line.string_id =
          minutes > 0 ? kTimeLeftUpperBoundMinutesString : kTimeLeftUpperBoundSecondsString;
      break;
    default:  // kTimeLeftNone and unknown kinds empty the line
      line.string_id = 0;
  }
  return line;
}

std::wstring FormatTimeLeft(const std::wstring& format, int32_t number) {
  if (format.empty()) return std::wstring();
  wchar_t buffer[kTimeLeftBufferUnits];
  buffer[0] = L'\0';
#if defined(_WIN32)
  // Writes at most the count and does not terminate a cut text.
  _snwprintf(buffer, kTimeLeftBufferUnits - 1, format.c_str(), number);
#else
  std::swprintf(buffer, kTimeLeftBufferUnits, format.c_str(), number);
#endif
  buffer[kTimeLeftBufferUnits - 1] = L'\0';
  return std::wstring(buffer, wcsnlen(buffer, kTimeLeftBufferUnits - 1));
}

int32_t ProgressFillWidth(int32_t position, int32_t low, int32_t high, int32_t width) {
  if (high <= low) return 0;
  const int64_t filled = (static_cast<int64_t>(position) - low) * width / (high - low);
  if (filled < 0) return 0;
  return filled > width ? width : static_cast<int32_t>(filled);
}

}  // namespace lite_installer
