// The percentage on the window's taskbar button, through the shell's
// taskbar list object. Absent (every call does nothing) when the shell has
// no such object. Windows only, dialog thread.
#pragma once

#include <windows.h>

struct ITaskbarList3;

namespace lite_installer {

class TaskbarProgress {
 public:
  TaskbarProgress() = default;
  ~TaskbarProgress() { Release(); }
  TaskbarProgress(const TaskbarProgress&) = delete;
  TaskbarProgress& operator=(const TaskbarProgress&) = delete;

  // Creates the object and shows 0 of 100 in the normal state.
  void Create(HWND window);
  void SetValue(HWND window, int percent);
  void Release();
  bool exists() const { return list_ != nullptr; }

 private:
  ITaskbarList3* list_ = nullptr;
};

}  // namespace lite_installer
