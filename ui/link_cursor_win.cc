// The link statics' hand cursor, keyboard activation and focus frame.
#include "ui/link_cursor.h"

#include <commctrl.h>

#include "ui/focus_cue.h"
#include "ui/scoped_gdi.h"
#include "ui/window_text.h"

namespace lite_installer {
namespace {

constexpr UINT_PTR kSubclassId = 1020;

bool IsActivationKey(WPARAM key) { return key == VK_RETURN || key == VK_SPACE; }

// The link is drawn transparently over the dialog's picture: the picture
// under it has to be painted again, or a removed focus frame stays.
void RepaintOverParent(HWND link) {
  HWND parent = ::GetParent(link);
  RECT rect;
  if (!parent || !::GetWindowRect(link, &rect)) return;
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  ::RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The frame around the text as the static draws it, in the colour and font
// that the parent gives the static for painting.
void DrawLinkFocusCue(HWND link) {
  ScopedWindowDc dc(link);
  HWND parent = ::GetParent(link);
  if (!dc.Get() || !parent) return;
  const int saved = ::SaveDC(dc.Get());
  if (HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(link, WM_GETFONT, 0, 0)))
    ::SelectObject(dc.Get(), font);
  ::SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                 reinterpret_cast<LPARAM>(link));
  RECT client;
  ::GetClientRect(link, &client);
  DrawTextFocusCue(dc.Get(), WindowText(link), client, DT_SINGLELINE, client,
                   ::GetTextColor(dc.Get()));
  ::RestoreDC(dc.Get(), saved);
}

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
  switch (message) {
    case WM_SETCURSOR:
      ::SetCursor(reinterpret_cast<LinkCursor*>(self)->hand_);
      return 0;
    case WM_GETDLGCODE: {
      // Enter and Space come to the link instead of the dialog manager,
      // which would otherwise press the default button on Enter.
      LRESULT code = ::DefSubclassProc(window, message, wparam, lparam);
      const MSG* key = reinterpret_cast<const MSG*>(lparam);
      if (key && key->message == WM_KEYDOWN && IsActivationKey(key->wParam))
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      if (!IsActivationKey(wparam)) break;
      if ((lparam & (1 << 30)) == 0) {  // not an auto-repeat
        ::SendMessageW(::GetParent(window), WM_COMMAND,
                       MAKEWPARAM(::GetDlgCtrlID(window), STN_CLICKED),
                       reinterpret_cast<LPARAM>(window));
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE: {
      const LRESULT result = ::DefSubclassProc(window, message, wparam, lparam);
      RepaintOverParent(window);
      return result;
    }
    case WM_PAINT: {
      const LRESULT result = ::DefSubclassProc(window, message, wparam, lparam);
      if (ShowsFocusCue(window, ::GetFocus() == window)) DrawLinkFocusCue(window);
      return result;
    }
  }
  return ::DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace lite_installer
