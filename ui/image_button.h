// A push button painted from a strip of three frames (normal, hot, pressed)
// over the parent's background, with its text on top. The parent forwards
// the button's NM_CUSTOMDRAW and answers CDRF_SKIPDEFAULT. Windows only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ui/scaled_image.h"

namespace lite_installer {

struct ImageButtonStyle {
  int strip_id;
  COLORREF text_color;
  RECT text_insets;        // added to the item rectangle: left, top, -right, -bottom
  POINT pressed_offset;    // the text moves by this while the button is down
  POINT background_offset; // where the parent's client origin lies in its background
};

class ImageButton {
 public:
  // Loads the strip. `font` and `background` are the parent's and outlive
  // the button object.
  ImageButton(const ImageButtonStyle& style, HFONT font, HWND button,
              const ScaledImage* background);
  SIZE GetFrameSize() const;
  void OnCustomDraw(const NMCUSTOMDRAW& draw) const;
  HWND window() const { return button_; }

 private:
  ImageButtonStyle style_;
  HFONT font_;
  HWND button_;
  const ScaledImage* background_;
  ScaledImage strip_;
};

}  // namespace lite_installer
