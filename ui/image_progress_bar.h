// The progress bar (control 1012) painted from two images of its size: the
// filled columns from the fill image, the rest from the track image, neither
// stretched. A subclass of the common control. Windows only.
#pragma once

#include <windows.h>

#include "ui/scaled_image.h"

namespace lite_installer {

class ImageProgressBar {
 public:
  // The images are the dialog's and outlive the subclass.
  ImageProgressBar(HWND bar, const ScaledImage* fill, const ScaledImage* track);
  ~ImageProgressBar();
  ImageProgressBar(const ImageProgressBar&) = delete;
  ImageProgressBar& operator=(const ImageProgressBar&) = delete;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR id, DWORD_PTR self);
  void Paint();

  HWND bar_;
  const ScaledImage* fill_;
  const ScaledImage* track_;
};

}  // namespace lite_installer
