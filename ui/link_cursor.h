// A link static's own behaviour, as a subclass: the hand cursor, and the
// keyboard path a mouse user has by clicking: Enter or Space on the focused
// link sends the parent the same STN_CLICKED a click sends (so the dialog's
// Enter never falls through to its default button), and the focused link
// shows a dotted focus frame in its own text colour. Windows only.
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
