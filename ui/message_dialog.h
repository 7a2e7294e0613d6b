// The small outcome dialog (template 202) in its two variants: an
// installation error, whose first button opens the fallback download
// address, and the notice that a newer browser is already installed.
// Windows only, dialog thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ui/image_button.h"
#include "ui/image_dialog.h"
#include "ui/scoped_gdi.h"

namespace lite_installer {

class MessageDialog : public ImageDialog {
 public:
  // Shows the dialog modally; 1 from its first button, 1010 from the second,
  // 2 when closed otherwise.
  INT_PTR Run(HWND owner);

 protected:
  struct Texts {
    uint32_t title;
    uint32_t body;
    uint32_t first_button;
    uint32_t second_button;  // 0: the button is hidden
  };
  // `brand_and_language` is brand id + "/" + interface language.
  MessageDialog(const Texts& texts, const std::wstring& brand_and_language, uint32_t language_id);
  // What the first button does before the dialog ends with 1.
  virtual void OnFirstButton() {}
  const std::wstring& brand_and_language() const { return brand_and_language_; }

 private:
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void Initialize();

  Texts texts_;
  std::wstring brand_and_language_;
  ScopedGdiObject title_font_;
  ScopedGdiObject body_font_;
  ScopedGdiObject button_font_;
  std::unique_ptr<ImageButton> first_button_;
  std::unique_ptr<ImageButton> second_button_;
};

class ErrorMessageDialog : public MessageDialog {
 public:
  ErrorMessageDialog(const std::wstring& brand_and_language, uint32_t language_id);

  // The download base + brand id + "/" + language + "/Tavrix.exe".
  std::wstring FallbackDownloadAddress() const;

 private:
  void OnFirstButton() override;
};

class NewerVersionDialog : public MessageDialog {
 public:
  NewerVersionDialog(const std::wstring& brand_and_language, uint32_t language_id);
};

}  // namespace lite_installer
