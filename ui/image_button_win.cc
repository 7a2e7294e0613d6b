// Drawing of the image buttons at the pre-erase stage of custom draw.
#include "ui/image_button.h"

#include <string>

#include "ui/focus_cue.h"
#include "ui/scoped_gdi.h"
#include "ui/window_text.h"

namespace lite_installer {
namespace {

constexpr int kFrameCount = 3;
enum Frame { kNormal = 0, kHot = 1, kPressed = 2 };
// The focus frame runs this far inside the frame image's edge, within the
// button's painted face (the strips keep a 1-2 pixel rim and shadow).
constexpr int kFocusInset = 4;

}  // namespace

ImageButton::ImageButton(const ImageButtonStyle& style, HFONT font, HWND button,
                         const ScaledImage* background)
    : style_(style), font_(font), button_(button), background_(background) {
  strip_.Load(style.strip_id);
}

SIZE ImageButton::GetFrameSize() const {
  SIZE size = strip_.GetLogicalSize();
  size.cx /= kFrameCount;
  return size;
}

void ImageButton::OnCustomDraw(const NMCUSTOMDRAW& draw) const {
  if (draw.dwDrawStage != CDDS_PREERASE) return;
  HDC dc = draw.hdc;
  const RECT& item = draw.rc;
  RECT in_parent = item;
  ::MapWindowPoints(button_, ::GetParent(button_), reinterpret_cast<POINT*>(&in_parent), 2);
  if (background_) {
    background_->Draw(dc, item.left, item.top, item.right - item.left, item.bottom - item.top,
                      style_.background_offset.x + in_parent.left,
                      style_.background_offset.y + in_parent.top, item.right - item.left,
                      item.bottom - item.top);
  }
  const bool pressed = (draw.uItemState & CDIS_SELECTED) != 0;
  const int frame = pressed ? kPressed : (draw.uItemState & CDIS_HOT) ? kHot : kNormal;
  const SIZE frame_size = GetFrameSize();
  strip_.Draw(dc, item.left, item.top, frame_size.cx, frame_size.cy, frame * frame_size.cx, 0,
              frame_size.cx, frame_size.cy);

  if (ShowsFocusCue(button_, (draw.uItemState & CDIS_FOCUS) != 0)) {
    RECT cue = {item.left, item.top, item.left + frame_size.cx, item.top + frame_size.cy};
    ::InflateRect(&cue, -kFocusInset, -kFocusInset);
    DrawFocusCue(dc, cue, style_.text_color);
  }

  const std::wstring text = WindowText(button_);
  if (text.empty()) return;
  RECT text_rect = {item.left + style_.text_insets.left, item.top + style_.text_insets.top,
                    item.right - style_.text_insets.right, item.bottom - style_.text_insets.bottom};
  if (pressed) ::OffsetRect(&text_rect, style_.pressed_offset.x, style_.pressed_offset.y);
  ScopedSelection selected(dc, font_);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, style_.text_color);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &text_rect,
              DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

}  // namespace lite_installer
