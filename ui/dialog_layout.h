// Where the dialogs' windows and controls go, in pixels: the installer
// dialog's positions, its narrowing to the progress screen, the shadow's
// frame around a window, and the message dialog's layout. Portable geometry;
// the dialogs apply it with the sizes of their images.
#pragma once

#include <array>
#include <cstdint>

namespace lite_installer {

struct Box {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Box& other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height;
  }
};

struct Margins {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The shadow borders of the two background images.
constexpr Margins kInstallerShadowMargins{21, 21, 21, 21};
constexpr Margins kMessageShadowMargins{5, 3, 5, 7};

constexpr int kProgressScreenWidth = 178;

// The installer dialog's controls in its client area. `background_height` is
// the background image's height (H), the others are image and text sizes.
namespace installer_layout {
constexpr Box kTitle{180, 23, 377, 23};
constexpr Box kMakeDefault{180, 99, 302, 20};
constexpr int kLicenseLeft = 180;
constexpr int kLicenseTop = 56;
constexpr int kLicenseLineHeight = 17;
constexpr int kStatisticsTop = 120;
constexpr int kStatisticsWidth = 420;
constexpr int kStatisticsTextRight = 600;
constexpr int kPrivacyLeft = 203;
constexpr int kPrivacyWidth = 397;
constexpr int kPrivacyBlock = 60;       // check box 1003 and the link share it
constexpr int kButtonsTop = 184;
constexpr int kInstallLeft = 180;
constexpr int kCancelLeft = 386;

Box LicenseRunBox(int run_x, int line, int run_width);
// Check box 1003 is `statistics_height` high (the larger of its frame and its
// wrapped text); the privacy link fills the rest of the block below it.
Box StatisticsBox(int statistics_height);
Box PrivacyLinkBox(int statistics_height);
Box ProgressBarBox(int background_height, int fill_width, int fill_height);
Box TimeLeftBox(int background_height);
}  // namespace installer_layout

// The progress screen: `width` wide, same height and top, centred on the
// welcome screen's window (left, top, width, height in screen pixels).
Box NarrowedWindow(const Box& window, int width = kProgressScreenWidth);

// A window of `size` centred in `area` (integer halves, toward the top left).
Box CentredIn(const Box& area, int width, int height);

// The shadow window around `window`.
Box ShadowBox(const Box& window, const Margins& margins);

// The shadow is drawn from the image's four corners without stretching: the
// window is split in half each way, and each quarter takes the matching
// corner of the image (width x height of the shadow, image_width x
// image_height of the image).
struct ImagePiece {
  Box destination;
  int source_x = 0;
  int source_y = 0;
};
std::array<ImagePiece, 4> ShadowPieces(int width, int height, int image_width, int image_height);

// The message dialog in its client area (width, height), with the frame of
// its first button.
struct MessageLayout {
  Box first_button;
  Box second_button;
  Box body;
  Box title;
};
MessageLayout LayOutMessageDialog(int client_width, int client_height, int button_width,
                                  int button_height);

}  // namespace lite_installer
