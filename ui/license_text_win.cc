// The licence sentence on the dialog: measured with the body font, one
// static per run.
#include <windows.h>

#include "resources/ui_resource_ids.h"
#include "ui/dialog_layout.h"
#include "ui/license_text.h"
#include "ui/license_statics.h"
#include "ui/scoped_gdi.h"

namespace lite_installer {
namespace {

constexpr int kPlainRunId = -1;
constexpr int kLinkRunId = 1020;

class DcTextMeasure : public TextMeasure {
 public:
  explicit DcTextMeasure(HDC dc) : dc_(dc) {}
  int Width(const std::wstring& text) override {
    SIZE size = {0, 0};
    ::GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

 private:
  HDC dc_;
};

}  // namespace

std::vector<LicenseRun> LicenseSentenceLayout(const std::wstring& sentence, HDC dc, HFONT font) {
  ScopedSelection selected(dc, font);
  DcTextMeasure measure(dc);
  return LayOutLicenseRuns(SplitLicenseSentence(sentence), &measure);
}

HWND CreateLicenseStatics(HWND dialog, const std::vector<LicenseRun>& runs) {
  HWND first_link = nullptr;
  // The z-order is the tab order: the runs follow the title, as the
  // sentence follows it on screen, so the licence link comes before the
  // check boxes.
  HWND previous = ::GetDlgItem(dialog, IDC_TITLE);
  for (const LicenseRun& run : runs) {
    if (run.text.empty()) continue;
    const Box box = installer_layout::LicenseRunBox(run.x, run.line, run.width);
    const DWORD style = run.is_link
                            ? WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | SS_NOTIFY | SS_SIMPLE
                            : WS_CHILD | WS_VISIBLE;
    HWND control = ::CreateWindowExW(
        0, L"Static", run.text.c_str(), style, box.x, box.y, box.width, box.height, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(run.is_link ? kLinkRunId : kPlainRunId)),
        ::GetModuleHandleW(nullptr), nullptr);
    if (run.is_link && !first_link) first_link = control;
    if (control && previous) {
      ::SetWindowPos(control, previous, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
      previous = control;
    }
  }
  return first_link;
}

}  // namespace lite_installer
