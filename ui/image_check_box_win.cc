// Drawing of the image check boxes, off screen first, on both paths.
#include "ui/image_check_box.h"

#include <string>

#include "ui/focus_cue.h"
#include "ui/scoped_gdi.h"
#include "ui/window_text.h"
#include "ui/ui_environment.h"

namespace lite_installer {
namespace {

constexpr int kFrameCount = 6;
constexpr int kCheckedFrames = 3;  // frames 3-5 are the checked ones
constexpr int kTextGap = 8;
constexpr COLORREF kTextColor = RGB(0x66, 0x66, 0x66);
constexpr POINT kBackgroundOffset = {21, 21};

}  // namespace

ImageCheckBox::ImageCheckBox(HFONT font, HWND check_box, const ScaledImage* background,
                             bool checked)
    : font_(font), check_box_(check_box), background_(background) {
  strip_.Load(302);
  const SIZE strip = strip_.GetLogicalSize();
  frame_ = {strip.cx / kFrameCount, strip.cy};
  if (!UiEnvironment::IsAppThemed()) {
    self_drawn_ = true;
    checked_ = checked;
    ::SetWindowLongPtrW(check_box_, GWL_STYLE,
                        ::GetWindowLongPtrW(check_box_, GWL_STYLE) | BS_OWNERDRAW);
  }
  if (checked) ::SendMessageW(check_box_, BM_SETCHECK, BST_CHECKED, 0);
}

bool ImageCheckBox::IsChecked() const {
  if (self_drawn_) return checked_;
  return ::SendMessageW(check_box_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ImageCheckBox::Toggle() {
  if (!self_drawn_) return;
  checked_ = !checked_;
  ::InvalidateRect(check_box_, nullptr, FALSE);
}

bool ImageCheckBox::OnCustomDraw(const NMCUSTOMDRAW& draw) const {
  if (draw.dwDrawStage != CDDS_PREERASE || !::IsWindow(check_box_)) return false;
  const bool show_prefix = (draw.uItemState & CDIS_SHOWKEYBOARDCUES) != 0;
  Draw(draw.hdc, draw.rc, (draw.uItemState & CDIS_SELECTED) != 0,
       (draw.uItemState & CDIS_HOT) != 0, (draw.uItemState & CDIS_FOCUS) != 0, show_prefix);
  return true;
}

void ImageCheckBox::OnDrawItem(const DRAWITEMSTRUCT& item) const {
  // Owner-drawn buttons get no accelerator state of their own: the window's
  // keyboard cues decide, as for the themed path.
  Draw(item.hDC, item.rcItem, (item.itemState & ODS_SELECTED) != 0,
       (item.itemState & ODS_HOTLIGHT) != 0, (item.itemState & ODS_FOCUS) != 0,
       ShowsKeyboardAccelerators(check_box_));
}

int ImageCheckBox::GetLayoutHeight(int left, int right) const {
  const std::wstring text = WindowText(check_box_);
  int height = frame_.cy;
  if (text.empty()) return height;
  ScopedWindowDc dc(check_box_);
  if (!dc.Get()) return height;
  ScopedSelection selected(dc.Get(), font_);
  RECT rect = {left + frame_.cx + kTextGap, 0, right, 0};
  ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_WORDBREAK);
  return rect.bottom - rect.top > height ? rect.bottom - rect.top : height;
}

void ImageCheckBox::Draw(HDC dc, const RECT& item, bool pressed, bool hot, bool focused,
                         bool show_prefix) const {
  const int width = item.right - item.left, height = item.bottom - item.top;
  if (width <= 0 || height <= 0) return;
  ScopedMemoryDc memory(::CreateCompatibleDC(dc));
  ScopedGdiObject bitmap(::CreateCompatibleBitmap(dc, width, height));
  if (!memory.IsValid() || !bitmap.IsValid()) return;
  ScopedSelection selected_bitmap(memory.Get(), bitmap.Get());

  RECT in_parent = item;
  ::MapWindowPoints(check_box_, ::GetParent(check_box_), reinterpret_cast<POINT*>(&in_parent), 2);
  if (background_) {
    background_->Draw(memory.Get(), 0, 0, width, height, kBackgroundOffset.x + in_parent.left,
                      kBackgroundOffset.y + in_parent.top, width, height);
  }
  int frame = pressed ? 2 : hot ? 1 : 0;
  if (IsChecked()) frame += kCheckedFrames;
  strip_.Draw(memory.Get(), 0, 0, frame_.cx, frame_.cy, frame * frame_.cx, 0, frame_.cx,
              frame_.cy);

  const std::wstring text = WindowText(check_box_);
  if (!text.empty()) {
    ScopedSelection selected_font(memory.Get(), font_);
    ::SetBkMode(memory.Get(), TRANSPARENT);
    ::SetTextColor(memory.Get(), kTextColor);
    const UINT prefix = show_prefix ? 0 : DT_HIDEPREFIX;
    RECT line = {frame_.cx + kTextGap, 0, width, height};
    ::DrawTextW(memory.Get(), text.c_str(), static_cast<int>(text.size()), &line,
                DT_CALCRECT | DT_SINGLELINE | prefix);
    RECT text_rect = {frame_.cx + kTextGap, 0, width, height};
    const int line_height = line.bottom - line.top;
    if (frame_.cy > line_height) text_rect.top += (frame_.cy - line_height) / 2;
    ::DrawTextW(memory.Get(), text.c_str(), static_cast<int>(text.size()), &text_rect,
                DT_WORDBREAK | prefix);
    if (ShowsFocusCue(check_box_, focused)) {
      const RECT bounds = {0, 0, width, height};
      DrawTextFocusCue(memory.Get(), text, text_rect, DT_WORDBREAK | prefix, bounds, kTextColor);
    }
  }
  ::BitBlt(dc, item.left, item.top, width, height, memory.Get(), 0, 0, SRCCOPY);
}

}  // namespace lite_installer
