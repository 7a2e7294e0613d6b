// The clock's sources on Windows: the multimedia timer or the performance
// counter, chosen once, and the system time.
#include <windows.h>
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif

#include "platform/clock.h"
#include "platform/system_library.h"

namespace lite_installer {
namespace {

void Cpuid(uint32_t leaf, uint32_t regs[4]) {
#if defined(_MSC_VER)
  __cpuid(reinterpret_cast<int*>(regs), static_cast<int>(leaf));
#else
  __cpuid(leaf, regs[0], regs[1], regs[2], regs[3]);
#endif
}

struct MultimediaTimer {
  MultimediaTimer() { ::InitializeCriticalSectionAndSpinCount(&lock, 2000); }
  CRITICAL_SECTION lock;
  MillisecondExtender extender;
};

// Set up before the entry point runs.
MultimediaTimer g_timer;

// winmm.dll is loaded only when the multimedia timer is the source: imported,
// it was loaded at every start (with msacm32.dll) before the download's first
// request. Without it, GetTickCount counts the same milliseconds, coarser.
constexpr wchar_t kWinmm[] = L"winmm.dll";
constexpr char kTimeGetTime[] = "timeGetTime";

DWORD MultimediaTime() {
  using TimeGetTime = DWORD(WINAPI*)();
  static const TimeGetTime time_get_time =
      SystemEntryPoint<TimeGetTime>(LoadSystemLibrary(kWinmm), kTimeGetTime);
  return time_get_time ? time_get_time() : ::GetTickCount();
}

int64_t MultimediaTicks() {
  ::EnterCriticalSection(&g_timer.lock);
  int64_t value = g_timer.extender.Extend(MultimediaTime());
  ::LeaveCriticalSection(&g_timer.lock);
  return value;
}

LARGE_INTEGER g_frequency;

int64_t CounterTicks() {
  LARGE_INTEGER count;
  ::QueryPerformanceCounter(&count);
  return CounterToMicroseconds(count.QuadPart, g_frequency.QuadPart);
}

WallClock::Source ChooseSource() {
  if (!::QueryPerformanceFrequency(&g_frequency)) g_frequency.QuadPart = 0;
  uint32_t regs[4];
  Cpuid(0, regs);
  char vendor[13] = {};
  memcpy(vendor, &regs[1], 4);
  memcpy(vendor + 4, &regs[3], 4);
  memcpy(vendor + 8, &regs[2], 4);
  Cpuid(1, regs);
  uint32_t family = (regs[0] >> 8) & 0xF;
  Cpuid(0x80000000, regs);
  bool invariant = false;
  if (regs[0] >= 0x80000007) {
    Cpuid(0x80000007, regs);
    invariant = (regs[3] >> 8) & 1;
  }
  return ChooseTickSource(g_frequency.QuadPart, vendor, family, invariant) ==
                 TickSource::kPerformanceCounter
             ? &CounterTicks
             : &MultimediaTicks;
}

int64_t Ticks() {
  static const WallClock::Source source = ChooseSource();
  return source();
}

int64_t SystemTime() {
  FILETIME ft;
  ::GetSystemTimeAsFileTime(&ft);
  return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10;
}

}  // namespace

int64_t WallClockNow() {
  static WallClock clock(&Ticks, &SystemTime);
  return clock.Now();
}

}  // namespace lite_installer
