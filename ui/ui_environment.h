// The process-wide environment of the dialogs: COM on the dialog thread, the
// common controls, GDI+ and the rich-edit library. Created by the first
// dialog initialisation, shut down once at the end of the run by the one
// owner the entry point registers. GDI+ and the theme library are bound on
// first use, by full path from the system folder. Windows only; every call is
// made on the dialog thread.
#pragma once

#include <windows.h>
#include <objidl.h>

namespace lite_installer {

class UiEnvironment {
 public:
  // Once per process: COM for this thread, the progress-bar and link control
  // classes, GDI+. Later calls do nothing. Results are not checked: a part
  // that failed leaves its images or controls undrawn.
  static void Initialize();
  // Loads "RICHED20.DLL" once per process.
  static void LoadRichEdit();
  // Frees what Initialize and LoadRichEdit set up (in reverse), as far as
  // they did; called by the owner at the end of the run.
  static void Shutdown();

  // A 32-bit premultiplied bitmap decoded by GDI+ from `stream`, with a fully
  // transparent background; null when GDI+ is missing or cannot decode it.
  static HBITMAP DecodeImage(IStream* stream);
  // Whether the application is drawn with visual styles (IsAppThemed); false
  // when the theme library is missing.
  static bool IsAppThemed();
};

// The entry point's registration as the environment's owner: the first one
// made in the process owns it and shuts the environment down when it ends;
// any later one does nothing.
class UiEnvironmentOwner {
 public:
  UiEnvironmentOwner();
  ~UiEnvironmentOwner();
  UiEnvironmentOwner(const UiEnvironmentOwner&) = delete;
  UiEnvironmentOwner& operator=(const UiEnvironmentOwner&) = delete;
  bool owns() const { return owns_; }
  // The shutdown of the destructor, now (for a run that ends the process
  // before its frame is left).
  void ShutDownNow();

 private:
  bool owns_;
};

}  // namespace lite_installer
