// The dotted focus frame and the keyboard-cue state of a control.
#include "ui/focus_cue.h"

namespace lite_installer {

bool ShowsFocusCue(HWND control, bool focused) {
  if (!control || !focused) return false;
  return (::SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

bool ShowsKeyboardAccelerators(HWND control) {
  return control && (::SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) == 0;
}

void DrawFocusCue(HDC dc, const RECT& rect, COLORREF color) {
  if (rect.right - rect.left < 2 || rect.bottom - rect.top < 2) return;
  // Every other pixel, counted around the frame so that the corners stay
  // in step; a few hundred pixels per control, drawn only on focus paints.
  int step = 0;
  for (int x = rect.left; x < rect.right; ++x, ++step) {
    if (step % 2 == 0) ::SetPixelV(dc, x, rect.top, color);
  }
  for (int y = rect.top + 1; y < rect.bottom; ++y, ++step) {
    if (step % 2 == 0) ::SetPixelV(dc, rect.right - 1, y, color);
  }
  for (int x = rect.right - 2; x >= rect.left; --x, ++step) {
    if (step % 2 == 0) ::SetPixelV(dc, x, rect.bottom - 1, color);
  }
  for (int y = rect.bottom - 2; y > rect.top; --y, ++step) {
    if (step % 2 == 0) ::SetPixelV(dc, rect.left, y, color);
  }
}

void DrawTextFocusCue(HDC dc, const std::wstring& text, const RECT& text_rect, UINT format,
                      const RECT& bounds, COLORREF color) {
  RECT cue = text_rect;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cue, DT_CALCRECT | format);
  ::InflateRect(&cue, 2, 1);
  ::IntersectRect(&cue, &cue, &bounds);
  DrawFocusCue(dc, cue, color);
}

}  // namespace lite_installer
