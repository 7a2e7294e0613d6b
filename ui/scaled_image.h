// An image resource (RCDATA: PNG or 32-bit BMP) decoded once by GDI+ into a
// premultiplied bitmap, with its scale factor: resources 322-361 have a
// double-size twin (+40) that a high-DPI screen takes. Copies share the
// bitmap; the last one deletes it. Every paint is an alpha blend of the
// stored bitmap. Windows only, dialog thread.
#pragma once

#include <windows.h>

#include <memory>

namespace lite_installer {

// The resource a load of `id` asks for, and its scale, on a screen that is or
// is not high-DPI. Ids outside the map load as themselves at scale 1.
struct ImageResourceChoice {
  int id;
  double scale;
};
ImageResourceChoice ChooseImageResource(int id, bool high_dpi);

class ScaledImage {
 public:
  ScaledImage() = default;

  // Replaces the image by resource `id`; false (the image unchanged) when the
  // resource is missing or cannot be decoded.
  bool Load(int id);
  // Pixel size divided by the scale, truncated; 0 x 0 when empty.
  SIZE GetLogicalSize() const;
  // Alpha-blends the source rectangle (logical units) onto the destination
  // rectangle (pixels of `dc`); nothing when empty.
  void Draw(HDC dc, int x, int y, int width, int height, int source_x, int source_y,
            int source_width, int source_height) const;
  HBITMAP bitmap() const { return bitmap_ ? static_cast<HBITMAP>(bitmap_.get()) : nullptr; }

 private:
  std::shared_ptr<void> bitmap_;
  double scale_ = 1.0;
};

}  // namespace lite_installer
