// A check box painted from a strip of six 15 x 15 frames (unchecked normal,
// hot, pressed; checked normal, hot, pressed) over the parent's background,
// with its text beside the frame. With visual styles the control keeps its
// own state and is drawn through NM_CUSTOMDRAW; without them it becomes an
// owner-drawn button whose state this object keeps, drawn on WM_DRAWITEM.
// Windows only, dialog thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ui/scaled_image.h"

namespace lite_installer {

class ImageCheckBox {
 public:
  // `font` and `background` (image 307, offset 21, 21) are the parent's.
  ImageCheckBox(HFONT font, HWND check_box, const ScaledImage* background, bool checked);

  bool IsChecked() const;
  // Self-drawn only: the click's toggle, which the control does not make.
  void Toggle();
  bool self_drawn() const { return self_drawn_; }
  // Themed path: draws at CDDS_PREERASE and returns true (CDRF_SKIPDEFAULT);
  // false for other stages or when the control is gone (CDRF_DODEFAULT).
  bool OnCustomDraw(const NMCUSTOMDRAW& draw) const;
  // Self-drawn path.
  void OnDrawItem(const DRAWITEMSTRUCT& item) const;
  // The larger of the frame height and the text's height wrapped between
  // the frame and x = `right` (client coordinates of the parent).
  int GetLayoutHeight(int left, int right) const;
  SIZE frame_size() const { return frame_; }
  HWND window() const { return check_box_; }

 private:
  void Draw(HDC dc, const RECT& item, bool pressed, bool hot, bool focused, bool show_prefix) const;

  HFONT font_;
  HWND check_box_;
  const ScaledImage* background_;
  ScaledImage strip_;
  SIZE frame_ = {0, 0};
  bool self_drawn_ = false;
  bool checked_ = false;
};

}  // namespace lite_installer
