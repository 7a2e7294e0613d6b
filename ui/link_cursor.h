// The hand cursor over a link static: a subclass that answers WM_SETCURSOR.
// Windows only.
#pragma once

#include <windows.h>

namespace lite_installer {

class LinkCursor {
 public:
  LinkCursor() : hand_(::LoadCursorW(nullptr, IDC_HAND)) {}
  ~LinkCursor() { Detach(); }
  LinkCursor(const LinkCursor&) = delete;
  LinkCursor& operator=(const LinkCursor&) = delete;

  void Attach(HWND link);
  void Detach();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR id, DWORD_PTR self);
  HCURSOR hand_;
  HWND link_ = nullptr;
};

}  // namespace lite_installer
