// The link statics' hand cursor.
#include "ui/link_cursor.h"

#include <commctrl.h>

namespace lite_installer {
namespace {
constexpr UINT_PTR kSubclassId = 1020;
}  // namespace

void LinkCursor::Attach(HWND link) {
  Detach();
  if (link && ::SetWindowSubclass(link, &Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    link_ = link;
}

void LinkCursor::Detach() {
  if (link_ && ::IsWindow(link_)) ::RemoveWindowSubclass(link_, &Procedure, kSubclassId);
  link_ = nullptr;
}

LRESULT CALLBACK LinkCursor::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR, DWORD_PTR self) {
  if (message == WM_SETCURSOR) {
    ::SetCursor(reinterpret_cast<LinkCursor*>(self)->hand_);
    return 0;
  }
  return ::DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace lite_installer
