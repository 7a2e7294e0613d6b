// Painting of the image progress bar.
#include "ui/image_progress_bar.h"

#include <commctrl.h>

#include "ui/progress_values.h"
#include "ui/scoped_gdi.h"

namespace lite_installer {
namespace {
constexpr UINT_PTR kSubclassId = 1012;
}  // namespace

ImageProgressBar::ImageProgressBar(HWND bar, const ScaledImage* fill, const ScaledImage* track)
    : bar_(bar), fill_(fill), track_(track) {
  if (bar_) ::SetWindowSubclass(bar_, &Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

ImageProgressBar::~ImageProgressBar() {
  if (bar_ && ::IsWindow(bar_)) ::RemoveWindowSubclass(bar_, &Procedure, kSubclassId);
}

LRESULT CALLBACK ImageProgressBar::Procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam, UINT_PTR, DWORD_PTR self) {
  switch (message) {
    case WM_PAINT:
      reinterpret_cast<ImageProgressBar*>(self)->Paint();
      return 0;
    case WM_ERASEBKGND:
    case WM_NCPAINT:
    case PBM_SETBARCOLOR:
    case PBM_SETBKCOLOR:
      return 0;
    default:
      return ::DefSubclassProc(window, message, wparam, lparam);
  }
}

void ImageProgressBar::Paint() {
  ScopedPaint paint(bar_);
  RECT client;
  ::GetClientRect(bar_, &client);
  const int width = client.right - client.left, height = client.bottom - client.top;
  PBRANGE range = {};
  ::SendMessageW(bar_, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const int position = static_cast<int>(::SendMessageW(bar_, PBM_GETPOS, 0, 0));
  const int filled = ProgressFillWidth(position, range.iLow, range.iHigh, width);
  if (filled > 0) fill_->Draw(paint.Get(), 0, 0, filled, height, 0, 0, filled, height);
  if (filled < width)
    track_->Draw(paint.Get(), filled, 0, width - filled, height, filled, 0, width - filled, height);
}

}  // namespace lite_installer
