// What the two dialogs share: a modal dialog from a template, bound to its
// object, that paints a background image without a frame, has a layered
// shadow, draws its statics transparently and is centred over its owner or
// on the nearest monitor's work area. Windows only, dialog thread.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/dialog_layout.h"
#include "ui/scaled_image.h"
#include "ui/shadow_window.h"

namespace lite_installer {

class ImageDialog {
 public:
  virtual ~ImageDialog() = default;
  ImageDialog(const ImageDialog&) = delete;
  ImageDialog& operator=(const ImageDialog&) = delete;

  HWND window() const { return window_; }

 protected:
  // `shadow_margins`: the border of the background picture around the
  // client area; the picture without it fills the client area.
  ImageDialog(uint32_t language_id, const Margins& shadow_margins)
      : language_id_(language_id), shadow_margins_(shadow_margins) {}

  // Shows dialog template `template_id` modally, owned by `owner`; returns the
  // value it ended with. When the binding of the dialog procedure to this
  // object cannot be allocated, the last error is ERROR_OUTOFMEMORY and the
  // result is -1.
  INT_PTR RunModal(HWND owner, int template_id);

  // One message of the dialog; returns what a dialog procedure returns.
  // The background's messages (WM_PAINT, WM_ERASEBKGND, WM_CTLCOLORDLG) are
  // handled before it.
  virtual INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  // Called before anything else on WM_INITDIALOG, with the window set.
  virtual void OnWindowCreated() {}
  // The window is gone (WM_NCDESTROY).
  virtual void OnWindowDestroyed() {}

  void End(INT_PTR result) { ::EndDialog(window_, result); }
  // A result for a message whose answer goes through DWLP_MSGRESULT.
  INT_PTR Answer(LRESULT result) {
    ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
    return TRUE;
  }
  std::wstring String(uint32_t id) const;
  void SetControlText(int control, uint32_t string_id);
  HWND Control(int id) const { return ::GetDlgItem(window_, id); }
  // Sizes the window and centres it over `owner` when that is visible, else
  // in the work area of the nearest monitor.
  void SizeAndCentre(HWND owner, int width, int height);
  void Place(int control, const Box& box);
  void HideWithShadow();

  uint32_t language_id_;
  Margins shadow_margins_;
  ScaledImage background_;
  std::unique_ptr<ShadowWindow> shadow_;

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // The frameless background: no erasing, no dialog brush, and the picture
  // without its shadow border over the client area. False for other
  // messages.
  bool OnBackgroundMessage(UINT message, INT_PTR* result);
  HWND window_ = nullptr;
};

// A font of the face "Arial" with the character height `height` in pixels.
HFONT CreateArialFont(int height, int weight, bool underline);

}  // namespace lite_installer
