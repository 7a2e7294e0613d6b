// The dialogs' common frame: binding, background, centring, shadow.
#include "ui/image_dialog.h"

#include <new>

#include "platform/localized_string.h"
#include "ui/scoped_gdi.h"

namespace lite_installer {
namespace {

// What the dialog procedure finds through DWLP_USER: the object the window
// belongs to, from WM_INITDIALOG on.
struct DialogBinding {
  ImageDialog* dialog;
};

}  // namespace

INT_PTR ImageDialog::RunModal(HWND owner, int template_id) {
  // From the process heap rather than a non-throwing new, whose library
  // version brings the whole exception runtime into the program.
  void* memory = ::HeapAlloc(::GetProcessHeap(), 0, sizeof(DialogBinding));
  if (!memory) {
    ::SetLastError(ERROR_OUTOFMEMORY);
    return -1;
  }
  DialogBinding* binding = new (memory) DialogBinding{this};
  const INT_PTR result =
      ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), owner,
                        &Procedure, reinterpret_cast<LPARAM>(binding));
  ::HeapFree(::GetProcessHeap(), 0, memory);
  return result;
}

INT_PTR CALLBACK ImageDialog::Procedure(HWND window, UINT message, WPARAM wparam,
                                        LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* binding = reinterpret_cast<DialogBinding*>(lparam);
    ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(binding));
    binding->dialog->window_ = window;
    binding->dialog->OnWindowCreated();
  }
  auto* binding = reinterpret_cast<DialogBinding*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (!binding) return FALSE;  // messages before WM_INITDIALOG
  ImageDialog* dialog = binding->dialog;
  INT_PTR result = 0;
  if (!dialog->OnBackgroundMessage(message, &result))
    result = dialog->OnMessage(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, DWLP_USER, 0);
    dialog->OnWindowDestroyed();
    dialog->window_ = nullptr;
  }
  return result;
}

std::wstring ImageDialog::String(uint32_t id) const { return LoadLocalizedString(id, language_id_); }

void ImageDialog::SetControlText(int control, uint32_t string_id) {
  ::SetDlgItemTextW(window_, control, String(string_id).c_str());
}

void ImageDialog::SizeAndCentre(HWND owner, int width, int height) {
  Box area;
  RECT rect;
  if (owner && ::IsWindowVisible(owner) && ::GetWindowRect(owner, &rect)) {
    area = Box{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  } else {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    area = Box{monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right - monitor.rcWork.left,
               monitor.rcWork.bottom - monitor.rcWork.top};
  }
  const Box box = CentredIn(area, width, height);
  ::SetWindowPos(window_, nullptr, box.x, box.y, box.width, box.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ImageDialog::OnBackgroundMessage(UINT message, INT_PTR* result) {
  switch (message) {
    case WM_PAINT: {
      // On the installer's progress screen only the picture's left part
      // (logo and brand name) remains.
      ScopedPaint paint(window_);
      RECT client;
      ::GetClientRect(window_, &client);
      background_.Draw(paint.Get(), 0, 0, client.right, client.bottom, shadow_margins_.left,
                       shadow_margins_.top, client.right, client.bottom);
      *result = TRUE;
      return true;
    }
    case WM_ERASEBKGND:
      *result = Answer(1);
      return true;
    case WM_CTLCOLORDLG:
      *result = reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
      return true;
  }
  return false;
}

void ImageDialog::Place(int control, const Box& box) {
  HWND handle = Control(control);
  if (handle)
    ::SetWindowPos(handle, nullptr, box.x, box.y, box.width, box.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void ImageDialog::HideWithShadow() {
  ::ShowWindow(window_, SW_HIDE);
  if (shadow_) shadow_->Show(false);
}

HFONT CreateArialFont(int height, int weight, bool underline) {
  return ::CreateFontW(-height, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, L"Arial");
}

}  // namespace lite_installer
