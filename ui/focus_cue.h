// The keyboard focus cue of the self-drawn controls (image buttons, image
// check boxes, links): a dotted frame in the control's own text colour, so
// that it reads as part of the artwork rather than the system's XOR
// rectangle. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace lite_installer {

// True when `control` has the keyboard focus (`focused`, from the drawing
// state) and its window does not hide focus cues (Windows hides them after
// a mouse-only start until the keyboard is used).
bool ShowsFocusCue(HWND control, bool focused);

// A one-pixel dotted frame along the inside of `rect`.
void DrawFocusCue(HDC dc, const RECT& rect, COLORREF color);

// The frame around `text` as DrawText lays it out in `dc`'s font from the
// corner of `text_rect` with `format`: two pixels clear of it on the sides,
// one above and below, cut to `bounds`.
void DrawTextFocusCue(HDC dc, const std::wstring& text, const RECT& text_rect, UINT format,
                      const RECT& bounds, COLORREF color);

// Whether the mnemonic underlines are shown in `control`'s window.
bool ShowsKeyboardAccelerators(HWND control);

}  // namespace lite_installer
