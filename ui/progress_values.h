// What the dialog shows for a progress value: the percentage bands of the
// setup's own messages, the time-left line (which string, which number) and
// the filled width of the progress bar. Portable arithmetic, so that every
// band and boundary is tested on the host.
#pragma once

#include <cstdint>
#include <string>

#include "setup/installer_observer.h"

namespace lite_installer {

// String ids of the time-left line.
constexpr uint32_t kTimeLeftUpperBoundMinutesString = 403;  // "Less than %i mins left"
constexpr uint32_t kTimeLeftMinutesString = 407;            // "%i mins left"
constexpr uint32_t kTimeLeftSecondsString = 409;            // "Less than %i secs left"
constexpr uint32_t kTimeLeftUpperBoundSecondsString = 418;  // "Less than %i secs left"

// The setup's install steps: 5 shows 75 %, 6 shows 79 % and an upper bound
// of 180 seconds; other steps change nothing.
constexpr int32_t kInstallStepStarted = 5;
constexpr int32_t kInstallStepFinishing = 6;
constexpr int32_t kInstallStartedPercent = 75;
constexpr int32_t kInstallFinishingPercent = 79;
constexpr int32_t kInstallFinishingSecondsLeft = 180;

// The browser's import, 0-100, shown as 80-100 % (single precision,
// truncated toward zero).
int32_t ImportProgressPercent(int32_t import_percent);

// The import progress message's wParam, as it arrives from another process:
// a value outside 0-100 is refused (false) before any arithmetic, since
// far outside it the float result would not fit the int conversion.
bool ImportProgressFromMessage(uint64_t wparam, int32_t* percent);

// The time left of an import stage: 1 → 60 s, 2 → 30 s, 3 → 10 s, each an
// upper bound; false for any other stage.
bool ImportStageSecondsLeft(int32_t stage, int32_t* seconds);

// The line for `seconds` of `kind`: which string to format (0: the line is
// emptied) and the number it shows, whole minutes (truncated) when there is
// at least one, else seconds.
struct TimeLeftLine {
  uint32_t string_id = 0;
  int32_t number = 0;
};
TimeLeftLine ChooseTimeLeftLine(int32_t seconds, int32_t kind);

// printf rules, at most 511 units (longer text is cut).
std::wstring FormatTimeLeft(const std::wstring& format, int32_t number);

// The columns of the progress bar's fill for `position` in [low, high] over
// `width` columns: (position - low) * width / (high - low), 0 for an empty
// range.
int32_t ProgressFillWidth(int32_t position, int32_t low, int32_t high, int32_t width);

}  // namespace lite_installer
