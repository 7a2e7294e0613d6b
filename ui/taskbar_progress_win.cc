// The taskbar list object of the shell.
#include "ui/taskbar_progress.h"

#include <shobjidl.h>

namespace lite_installer {
namespace {
constexpr ULONGLONG kTotal = 100;
// {56FDF344-FD6D-11D0-958A-006097C9A090} and {EA1AFB91-9E28-4B86-90E9-9E9F8A5EEFAF}.
constexpr CLSID kTaskbarListClass = {0x56FDF344, 0xFD6D, 0x11D0,
                                     {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
constexpr IID kTaskbarList3Interface = {0xEA1AFB91, 0x9E28, 0x4B86,
                                        {0x90, 0xE9, 0x9E, 0x9F, 0x8A, 0x5E, 0xEF, 0xAF}};
}  // namespace

void TaskbarProgress::Create(HWND window) {
  Release();
  void* list = nullptr;
  if (FAILED(::CoCreateInstance(kTaskbarListClass, nullptr, CLSCTX_ALL, kTaskbarList3Interface,
                                &list)) ||
      !list)
    return;
  list_ = static_cast<ITaskbarList3*>(list);
  list_->SetProgressState(window, TBPF_NORMAL);
  list_->SetProgressValue(window, 0, kTotal);
}

void TaskbarProgress::SetValue(HWND window, int percent) {
  if (list_) list_->SetProgressValue(window, static_cast<ULONGLONG>(percent), kTotal);
}

void TaskbarProgress::Release() {
  if (list_) list_->Release();
  list_ = nullptr;
}

}  // namespace lite_installer
