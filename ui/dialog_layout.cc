// Geometry of the dialogs; portable.
#include "ui/dialog_layout.h"

namespace lite_installer {

namespace installer_layout {

Box LicenseRunBox(int run_x, int line, int run_width) {
  return Box{kLicenseLeft + run_x, kLicenseTop + kLicenseLineHeight * line, run_width,
             kLicenseLineHeight};
}

Box StatisticsBox(int statistics_height) {
  return Box{kInstallLeft, kStatisticsTop, kStatisticsWidth, statistics_height};
}

Box PrivacyLinkBox(int statistics_height) {
  return Box{kPrivacyLeft, kStatisticsTop + statistics_height, kPrivacyWidth,
             kPrivacyBlock - statistics_height};
}

Box ProgressBarBox(int background_height, int fill_width, int fill_height) {
  return Box{(kProgressScreenWidth - fill_width) / 2, background_height - fill_height - 66,
             fill_width, fill_height};
}

Box TimeLeftBox(int background_height) { return Box{6, background_height - 63, 166, 12}; }

}  // namespace installer_layout

Box NarrowedWindow(const Box& window, int width) {
  return Box{window.x + (window.width - width) / 2, window.y, width, window.height};
}

Box CentredIn(const Box& area, int width, int height) {
  return Box{area.x + (area.width - width) / 2, area.y + (area.height - height) / 2, width,
             height};
}

Box ShadowBox(const Box& window, const Margins& m) {
  return Box{window.x - m.left, window.y - m.top, window.width + m.left + m.right,
             window.height + m.top + m.bottom};
}

std::array<ImagePiece, 4> ShadowPieces(int width, int height, int image_width, int image_height) {
  const int w1 = width / 2, w2 = width - w1;
  const int h1 = height / 2, h2 = height - h1;
  return {{
      {Box{0, 0, w1, h1}, 0, 0},
      {Box{w1, 0, w2, h1}, image_width - w2, 0},
      {Box{0, h1, w1, h2}, 0, image_height - h2},
      {Box{w1, h1, w2, h2}, image_width - w2, image_height - h2},
  }};
}

MessageLayout LayOutMessageDialog(int client_width, int client_height, int button_width,
                                  int button_height) {
  MessageLayout layout;
  const int buttons_top = client_height - 20 - button_height;
  layout.first_button = Box{40, buttons_top, button_width, button_height};
  layout.second_button = Box{40 + button_width + 10, buttons_top, button_width, button_height};
  layout.body = Box{40, buttons_top - 50, client_width - 30 - 40, 50};
  layout.title = Box{40, 30, client_width - 30 - 40, buttons_top - 50 - 30};
  return layout;
}

}  // namespace lite_installer
