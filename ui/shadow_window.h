// The soft shadow around a borderless dialog: a layered popup owned by the
// dialog that shows the ring of the dialog's background image outside the
// dialog's rectangle, with per-pixel alpha. It never takes the focus and lets
// the mouse through. Windows only, dialog thread.
#pragma once

#include <windows.h>

#include "ui/dialog_layout.h"
#include "ui/scaled_image.h"

namespace lite_installer {

// The shadow's picture for an owner of that size: the image's four corners
// framing it, the owner's own rectangle fully transparent. A 32-bit top-down
// DIB section of the shadow's size (the caller deletes it), with `pixels`
// (optional) set to its bits; null on a display of fewer than 32 bits.
HBITMAP RenderShadowBitmap(const ScaledImage& image, int owner_width, int owner_height,
                           const Margins& margins, void** pixels);

class ShadowWindow {
 public:
  ShadowWindow(HWND owner, const ScaledImage& image, const Margins& margins);
  ~ShadowWindow();
  ShadowWindow(const ShadowWindow&) = delete;
  ShadowWindow& operator=(const ShadowWindow&) = delete;

  // Redraws the ring for the owner's current rectangle (after it moved or
  // changed size). Nothing on a display of fewer than 32 bits per pixel.
  void Update();
  void Show(bool visible);
  HWND window() const { return window_; }

 private:
  HWND owner_;
  ScaledImage image_;
  Margins margins_;
  HWND window_ = nullptr;
};

}  // namespace lite_installer
