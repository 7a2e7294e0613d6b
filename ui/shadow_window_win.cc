// The layered shadow window: the background image's four corners framing
// the owner, its inside cleared, handed to UpdateLayeredWindow.
#include "ui/shadow_window.h"

#include "ui/scoped_gdi.h"

namespace lite_installer {
namespace {

// One class per process; its name carries the process id, so two installers
// never share a class.
const wchar_t* ShadowClassName() {
  static wchar_t name[64];
  if (!name[0]) {
    ::wsprintfW(name, L"LiteInstallerShadow_%lu", ::GetCurrentProcessId());
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = ::DefWindowProcW;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = name;
    ::RegisterClassExW(&window_class);
  }
  return name;
}

}  // namespace

ShadowWindow::ShadowWindow(HWND owner, const ScaledImage& image, const Margins& margins)
    : owner_(owner), image_(image), margins_(margins) {
  window_ = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE,
                              ShadowClassName(), L"",
                              WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | WS_SYSMENU,
                              0, 0, 0, 0, owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  Update();
}

ShadowWindow::~ShadowWindow() {
  if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
}

void ShadowWindow::Show(bool visible) {
  if (window_) ::ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

HBITMAP RenderShadowBitmap(const ScaledImage& image, int owner_width, int owner_height,
                           const Margins& margins, void** pixels) {
  const Box shadow = ShadowBox(Box{0, 0, owner_width, owner_height}, margins);
  ScopedMemoryDc memory(::CreateCompatibleDC(nullptr));
  if (!memory.IsValid() || ::GetDeviceCaps(memory.Get(), BITSPIXEL) < 32) return nullptr;
  BITMAPINFO info = TopDownArgbBitmapInfo(shadow.width, shadow.height);
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(memory.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  {
    ScopedSelection selected(memory.Get(), bitmap);
    const SIZE image_size = image.GetLogicalSize();
    for (const ImagePiece& piece :
         ShadowPieces(shadow.width, shadow.height, image_size.cx, image_size.cy)) {
      const Box& d = piece.destination;
      image.Draw(memory.Get(), d.x, d.y, d.width, d.height, piece.source_x, piece.source_y,
                 d.width, d.height);
    }
    // The owner covers the inside: make it fully transparent (x AND NOT x).
    ::BitBlt(memory.Get(), margins.left, margins.top, owner_width, owner_height, memory.Get(),
             margins.left, margins.top, SRCERASE);
    ::GdiFlush();
  }
  if (pixels) *pixels = bits;
  return bitmap;
}

void ShadowWindow::Update() {
  if (!window_) return;
  RECT owner_rect;
  if (!::GetWindowRect(owner_, &owner_rect)) return;
  const Box owner_box{owner_rect.left, owner_rect.top, owner_rect.right - owner_rect.left,
                      owner_rect.bottom - owner_rect.top};
  const Box shadow = ShadowBox(owner_box, margins_);
  ScopedGdiObject bitmap(
      RenderShadowBitmap(image_, owner_box.width, owner_box.height, margins_, nullptr));
  ScopedMemoryDc memory(::CreateCompatibleDC(nullptr));
  if (!bitmap.IsValid() || !memory.IsValid()) return;
  ScopedSelection selected(memory.Get(), bitmap.Get());
  ::SetLayout(memory.Get(), LAYOUT_RTL);

  POINT position = {shadow.x, shadow.y};
  SIZE size = {shadow.width, shadow.height};
  POINT origin = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ScopedWindowDc screen(nullptr);
  if (!::UpdateLayeredWindow(window_, screen.Get(), &position, &size, memory.Get(), &origin, 0,
                             &blend, ULW_ALPHA)) {
    // Measured under Wine 8: a source context in right-to-left layout makes
    // UpdateLayeredWindow fail with ERROR_INVALID_PARAMETER, which left the
    // ring black. The ring is the same mirrored, so it is drawn left to right.
    ::SetLayout(memory.Get(), 0);
    ::UpdateLayeredWindow(window_, screen.Get(), &position, &size, memory.Get(), &origin, 0,
                          &blend, ULW_ALPHA);
  }
}

}  // namespace lite_installer
