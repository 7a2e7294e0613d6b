// The licence sentence's runs as controls of the installer dialog (Windows).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/license_text.h"

namespace lite_installer {

// The runs of `sentence`, measured in `font` on `dc` (the font is put back).
std::vector<LicenseRun> LicenseSentenceLayout(const std::wstring& sentence, HDC dc, HFONT font);

// One static per run at its place in `dialog`: plain runs get the id -1,
// link runs the id 1020 (notify, tab stop), placed right after the title in
// the z-order (the tab order). Returns the first link control.
HWND CreateLicenseStatics(HWND dialog, const std::vector<LicenseRun>& runs);

}  // namespace lite_installer
