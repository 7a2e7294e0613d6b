// COM, common controls, GDI+ (through its flat interface, bound at run time)
// and the rich-edit library, once per process.
#include "ui/ui_environment.h"

#include <commctrl.h>

#include <atomic>

#include "platform/library_guard.h"

namespace lite_installer {
namespace {

constexpr wchar_t kGdiPlusLibrary[] = L"gdiplus.dll";
constexpr wchar_t kThemeLibrary[] = L"uxtheme.dll";
constexpr wchar_t kRichEditLibrary[] = L"RICHED20.DLL";

// The flat GDI+ interface, as far as the dialogs use it.
struct GdiplusStartupInput {
  UINT32 version = 1;
  void* debug_event_callback = nullptr;
  BOOL suppress_background_thread = FALSE;
  BOOL suppress_external_codecs = FALSE;
};
using GdiplusStartupFn = int(WINAPI*)(ULONG_PTR*, const GdiplusStartupInput*, void*);
using GdiplusShutdownFn = void(WINAPI*)(ULONG_PTR);
using CreateBitmapFromStreamFn = int(WINAPI*)(IStream*, void**);
using CreateHbitmapFromBitmapFn = int(WINAPI*)(void*, HBITMAP*, DWORD);
using DisposeImageFn = int(WINAPI*)(void*);
using IsAppThemedFn = BOOL(WINAPI*)();

struct Environment {
  bool initialized = false;
  bool com = false;
  HMODULE gdiplus = nullptr;
  ULONG_PTR gdiplus_token = 0;
  GdiplusStartupInput startup_input;
  CreateBitmapFromStreamFn create_bitmap = nullptr;
  CreateHbitmapFromBitmapFn create_hbitmap = nullptr;
  DisposeImageFn dispose_image = nullptr;
  HMODULE rich_edit = nullptr;
  bool theme_bound = false;
  IsAppThemedFn is_app_themed = nullptr;
};

Environment* g_environment = nullptr;
std::atomic<int32_t> g_owner_registered{0};

Environment* Get() {
  if (!g_environment) g_environment = new Environment;
  return g_environment;
}

template <typename Fn>
Fn Bind(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                : nullptr;
}

}  // namespace

void UiEnvironment::Initialize() {
  Environment* e = Get();
  if (e->initialized) return;
  e->com = SUCCEEDED(::CoInitialize(nullptr));
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_LINK_CLASS};
  ::InitCommonControlsEx(&controls);
  e->gdiplus = LoadSystemLibrary(kGdiPlusLibrary);
  auto startup = Bind<GdiplusStartupFn>(e->gdiplus, "GdiplusStartup");
  if (startup && startup(&e->gdiplus_token, &e->startup_input, nullptr) == 0) {
    e->create_bitmap = Bind<CreateBitmapFromStreamFn>(e->gdiplus, "GdipCreateBitmapFromStreamICM");
    e->create_hbitmap = Bind<CreateHbitmapFromBitmapFn>(e->gdiplus, "GdipCreateHBITMAPFromBitmap");
    e->dispose_image = Bind<DisposeImageFn>(e->gdiplus, "GdipDisposeImage");
  } else {
    e->gdiplus_token = 0;
  }
  e->initialized = true;
}

void UiEnvironment::LoadRichEdit() {
  Environment* e = Get();
  if (!e->rich_edit) e->rich_edit = LoadSystemLibrary(kRichEditLibrary);
}

void UiEnvironment::Shutdown() {
  Environment* e = g_environment;
  if (!e) return;
  if (e->rich_edit) ::FreeLibrary(e->rich_edit);
  if (e->initialized) {
    if (e->gdiplus_token) {
      auto shutdown = Bind<GdiplusShutdownFn>(e->gdiplus, "GdiplusShutdown");
      if (shutdown) shutdown(e->gdiplus_token);
    }
    if (e->com) ::CoUninitialize();
  }
  // The GDI+ library itself stays loaded: its threads may still be ending.
  delete e;
  g_environment = nullptr;
}

HBITMAP UiEnvironment::DecodeImage(IStream* stream) {
  Environment* e = g_environment;
  if (!e || !e->create_bitmap || !e->create_hbitmap || !e->dispose_image) return nullptr;
  void* bitmap = nullptr;
  if (e->create_bitmap(stream, &bitmap) != 0 || !bitmap) return nullptr;
  HBITMAP handle = nullptr;
  if (e->create_hbitmap(bitmap, &handle, 0) != 0) handle = nullptr;
  e->dispose_image(bitmap);
  return handle;
}

bool UiEnvironment::IsAppThemed() {
  Environment* e = Get();
  if (!e->theme_bound) {
    e->is_app_themed = Bind<IsAppThemedFn>(LoadSystemLibrary(kThemeLibrary), "IsAppThemed");
    e->theme_bound = true;
  }
  return e->is_app_themed && e->is_app_themed();
}

UiEnvironmentOwner::UiEnvironmentOwner() {
  int32_t expected = 0;
  owns_ = g_owner_registered.compare_exchange_strong(expected, 1);
}

UiEnvironmentOwner::~UiEnvironmentOwner() { ShutDownNow(); }

void UiEnvironmentOwner::ShutDownNow() {
  if (!owns_) return;
  UiEnvironment::Shutdown();
  g_owner_registered.store(0);
  owns_ = false;
}

}  // namespace lite_installer
