// The dialogs' pictures under Wine, read from the bitmaps themselves: every
// built-in image decodes through GDI+ at its size, the background's shadow
// ring fades out toward its edge, and the shadow window's picture keeps the
// ring translucent around a fully transparent inside, also for the narrow
// progress screen. (The test program carries the same image resources as
// the installer.)
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "resources/ui_resource_ids.h"
#include "ui/dialog_layout.h"
#include "ui/scaled_image.h"
#include "ui/scoped_gdi.h"
#include "ui/shadow_window.h"
#include "ui/ui_environment.h"

namespace lite_installer {
namespace {

struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;  // top-down, premultiplied
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
  int Alpha(int x, int y) const { return static_cast<int>(At(x, y) >> 24); }
};

Pixels Read(HBITMAP bitmap) {
  Pixels p;
  BITMAP info = {};
  if (!::GetObjectW(bitmap, sizeof(info), &info)) return p;
  p.width = info.bmWidth;
  p.height = info.bmHeight;
  p.argb.resize(static_cast<size_t>(p.width) * p.height);
  BITMAPINFO request = TopDownArgbBitmapInfo(p.width, p.height);
  HDC screen = ::GetDC(nullptr);
  ::GetDIBits(screen, bitmap, 0, p.height, p.argb.data(), &request, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return p;
}

class UiDrawing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { UiEnvironment::Initialize(); }
};

TEST_F(UiDrawing, EveryImageDecodesAtItsSize) {
  const struct {
    int id, width, height;
  } images[] = {{IDB_CHECK_BOX_STRIP, 90, 15},     {IDB_INSTALLER_BACKGROUND, 690, 275},
                {IDB_INSTALL_BUTTON, 588, 34},     {IDB_CANCEL_BUTTON, 309, 34},
                {IDB_PROGRESS_FILL, 130, 11},      {IDB_PROGRESS_TRACK, 130, 11},
                {IDB_MESSAGE_BACKGROUND, 410, 186}, {IDB_MESSAGE_FIRST_BUTTON, 360, 28},
                {IDB_MESSAGE_SECOND_BUTTON, 360, 28}};
  for (const auto& image : images) {
    ScaledImage loaded;
    ASSERT_TRUE(loaded.Load(image.id)) << image.id;
    EXPECT_EQ(image.width, loaded.GetLogicalSize().cx) << image.id;
    EXPECT_EQ(image.height, loaded.GetLogicalSize().cy) << image.id;
  }
  // The check box strip is a 32-bit BMP, whose alpha GDI+ may drop: its
  // transparent corners must then still look like the white panel they sit
  // on, never black.
  ScaledImage strip;
  ASSERT_TRUE(strip.Load(IDB_CHECK_BOX_STRIP));
  const Pixels frames = Read(strip.bitmap());
  for (int frame = 0; frame < 6; ++frame) {
    const uint32_t corner = frames.At(frame * 15, 0);
    EXPECT_TRUE(corner >> 24 == 0 || (corner & 0xFFFFFF) == 0xFFFFFF) << frame << " " << corner;
  }
  EXPECT_EQ(255, frames.Alpha(7, 7));

  // The high-DPI twins are not built in: both choices fail and leave the
  // image empty.
  ScaledImage missing;
  EXPECT_FALSE(missing.Load(322));
  EXPECT_EQ(nullptr, missing.bitmap());
  EXPECT_EQ(0, missing.GetLogicalSize().cx);
  EXPECT_EQ(362, ChooseImageResource(322, true).id);
  EXPECT_EQ(2.0, ChooseImageResource(322, true).scale);
  EXPECT_EQ(322, ChooseImageResource(322, false).id);
  EXPECT_EQ(322, ChooseImageResource(362, false).id);
  EXPECT_EQ(307, ChooseImageResource(307, true).id);
  EXPECT_EQ(1.0, ChooseImageResource(307, true).scale);
}

TEST_F(UiDrawing, TheShadowRingIsTranslucentAroundATransparentInside) {
  ScaledImage background;
  ASSERT_TRUE(background.Load(IDB_INSTALLER_BACKGROUND));
  const Pixels image = Read(background.bitmap());
  // The picture's own ring: nothing at the outer edge, more toward the inside,
  // never opaque; the inside opaque.
  EXPECT_EQ(0, image.Alpha(0, 137));
  EXPECT_EQ(0, image.Alpha(345, 0));
  EXPECT_LT(image.Alpha(3, 137), image.Alpha(18, 137));
  EXPECT_GT(image.Alpha(18, 137), 0);
  EXPECT_LT(image.Alpha(18, 137), 255);
  EXPECT_EQ(255, image.Alpha(100, 100));

  const struct {
    int owner_width, owner_height, width, height;
  } screens[] = {{648, 233, 690, 275}, {178, 233, 220, 275}};
  for (const auto& screen : screens) {
    void* bits = nullptr;
    HBITMAP bitmap = RenderShadowBitmap(background, screen.owner_width, screen.owner_height,
                                        kInstallerShadowMargins, &bits);
    ASSERT_NE(nullptr, bitmap);
    const Pixels shadow = Read(bitmap);
    ::DeleteObject(bitmap);
    ASSERT_EQ(screen.width, shadow.width);
    ASSERT_EQ(screen.height, shadow.height);
    int inside_alpha = 0;
    for (int y = 21; y < 21 + screen.owner_height; ++y)
      for (int x = 21; x < 21 + screen.owner_width; ++x) inside_alpha |= shadow.Alpha(x, y);
    EXPECT_EQ(0, inside_alpha) << screen.width;
    // Each quarter is the matching corner of the picture, unstretched.
    const int w2 = screen.width - screen.width / 2, h2 = screen.height - screen.height / 2;
    EXPECT_EQ(image.At(0, 10), shadow.At(0, 10));
    EXPECT_EQ(image.At(689, 10), shadow.At(screen.width - 1, 10));
    EXPECT_EQ(image.At(690 - w2 + 5, 275 - 2), shadow.At(screen.width / 2 + 5, screen.height - 2));
    EXPECT_EQ(image.At(10, 275 - h2 + 1), shadow.At(10, screen.height / 2 + 1));
    EXPECT_GT(shadow.Alpha(10, screen.height - 10), 0);
  }

  ScaledImage message;
  ASSERT_TRUE(message.Load(IDB_MESSAGE_BACKGROUND));
  HBITMAP bitmap = RenderShadowBitmap(message, 400, 176, kMessageShadowMargins, nullptr);
  ASSERT_NE(nullptr, bitmap);
  const Pixels shadow = Read(bitmap);
  ::DeleteObject(bitmap);
  EXPECT_EQ(410, shadow.width);
  EXPECT_EQ(186, shadow.height);
  EXPECT_EQ(0, shadow.Alpha(200, 90));
  EXPECT_GT(shadow.Alpha(200, 184), 0);
}

}  // namespace
}  // namespace lite_installer
