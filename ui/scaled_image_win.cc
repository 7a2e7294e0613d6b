// Loading images from the program's resources through GDI+ and blending them.
#include "ui/scaled_image.h"

#include <objidl.h>

#include "ui/scoped_gdi.h"
#include "ui/ui_environment.h"

namespace lite_installer {
namespace {

constexpr int kHighDpiFirstId = 322;
constexpr int kHighDpiIdCount = 40;
constexpr int kStandardDpi = 96;

// The screen's decision, taken once per process on the dialog thread.
bool IsHighDpiScreen() {
  static const bool high = [] {
    ScopedWindowDc screen(nullptr);
    return screen.Get() && ::GetDeviceCaps(screen.Get(), LOGPIXELSX) > kStandardDpi;
  }();
  return high;
}

void DeleteBitmap(void* bitmap) { ::DeleteObject(static_cast<HGDIOBJ>(bitmap)); }

}  // namespace

ImageResourceChoice ChooseImageResource(int id, bool high_dpi) {
  // The map holds 322-361 → 362-401 on a high-DPI screen and the reverse
  // otherwise; a mapped id loads at the screen's scale.
  const bool low_half = id >= kHighDpiFirstId && id < kHighDpiFirstId + kHighDpiIdCount;
  const bool high_half =
      id >= kHighDpiFirstId + kHighDpiIdCount && id < kHighDpiFirstId + 2 * kHighDpiIdCount;
  const double scale = high_dpi ? 2.0 : 1.0;
  if (high_dpi && low_half) return {id + kHighDpiIdCount, scale};
  if (!high_dpi && high_half) return {id - kHighDpiIdCount, scale};
  return {id, 1.0};
}

bool ScaledImage::Load(int id) {
  const ImageResourceChoice choice = ChooseImageResource(id, IsHighDpiScreen());
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(choice.id), RT_RCDATA);
  HGLOBAL loaded = info ? ::LoadResource(module, info) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  const DWORD size = info ? ::SizeofResource(module, info) : 0;
  if (!bytes || size == 0) return false;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return false;
  void* target = ::GlobalLock(block);
  if (!target) {
    ::GlobalFree(block);
    return false;
  }
  ::CopyMemory(target, bytes, size);
  ::GlobalUnlock(block);
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
    ::GlobalFree(block);
    return false;
  }
  HBITMAP decoded = UiEnvironment::DecodeImage(stream);
  stream->Release();  // frees the block
  if (!decoded) return false;
  bitmap_.reset(decoded, &DeleteBitmap);
  scale_ = choice.scale;
  return true;
}

SIZE ScaledImage::GetLogicalSize() const {
  SIZE size = {0, 0};
  BITMAP info = {};
  if (bitmap_ && ::GetObjectW(bitmap(), sizeof(info), &info)) {
    size.cx = static_cast<LONG>(info.bmWidth / scale_);
    size.cy = static_cast<LONG>(info.bmHeight / scale_);
  }
  return size;
}

void ScaledImage::Draw(HDC dc, int x, int y, int width, int height, int source_x, int source_y,
                       int source_width, int source_height) const {
  if (!bitmap_) return;
  ScopedMemoryDc memory(::CreateCompatibleDC(nullptr));
  if (!memory.IsValid()) return;
  ScopedSelection selected(memory.Get(), bitmap());
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::AlphaBlend(dc, x, y, width, height, memory.Get(), static_cast<int>(source_x * scale_),
               static_cast<int>(source_y * scale_), static_cast<int>(source_width * scale_),
               static_cast<int>(source_height * scale_), blend);
}

}  // namespace lite_installer
