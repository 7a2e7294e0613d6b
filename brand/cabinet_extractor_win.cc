// ExtractFiles through the system's cabinet library (cabinet.dll, FDI), loaded
// from the system directory only (LoadSystemLibrary). The package never leaves memory: the cabinet "file" that
// FDI opens is a cursor of the extractor, and every output file is collected
// in memory by the extractor itself.
#include "brand/cabinet_extractor.h"

#include <windows.h>

#include <fdi.h>

#include <cstdlib>
#include <string>

#include "platform/system_library.h"

namespace lite_installer {
namespace {

using FdiCreateFunction = HFDI(DIAMONDAPI*)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE,
                                            PFNCLOSE, PFNSEEK, int, PERF);
using FdiDestroyFunction = BOOL(DIAMONDAPI*)(HFDI);
using FdiCopyFunction = BOOL(DIAMONDAPI*)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT,
                                          void*);

// Loaded once and kept for the life of the process.
constexpr wchar_t kCabinetLibrary[] = L"cabinet.dll";

struct CabinetLibrary {
  HMODULE module = nullptr;
  FdiCreateFunction create = nullptr;
  FdiDestroyFunction destroy = nullptr;
  FdiCopyFunction copy = nullptr;
};

const CabinetLibrary* BindCabinetLibrary() {
  static CabinetLibrary library;
  if (!library.module) library.module = LoadSystemLibrary(kCabinetLibrary);
  if (!library.module) return nullptr;
  if (!library.create) {
    library.create = SystemEntryPoint<FdiCreateFunction>(library.module, "FDICreate");
    library.destroy = SystemEntryPoint<FdiDestroyFunction>(library.module, "FDIDestroy");
    library.copy = SystemEntryPoint<FdiCopyFunction>(library.module, "FDICopy");
  }
  if (!library.create || !library.destroy || !library.copy) return nullptr;
  return &library;
}

// FDI's open callback carries no user value, so the extraction in progress is
// process-wide; extraction only runs on the main thread during start-up.
CabinetExtractor* g_active = nullptr;

INT_PTR OutputHandle() { return reinterpret_cast<INT_PTR>(g_active); }

CabinetExtractor::ReadCursor* CursorOf(INT_PTR handle) {
  auto* cursor = reinterpret_cast<CabinetExtractor::ReadCursor*>(handle);
  return g_active && g_active->OwnsCursor(cursor) ? cursor : nullptr;
}

FNALLOC(Allocate) { return ::HeapAlloc(::GetProcessHeap(), 0, cb); }
FNFREE(Release) { ::HeapFree(::GetProcessHeap(), 0, pv); }

// The cabinet name is the decimal address of the active extractor; any other
// name (a next volume, say) cannot be opened.
FNOPEN(Open) {
  if (!g_active || !pszFile) return -1;
  char* end = nullptr;
  unsigned long long value = std::strtoull(pszFile, &end, 10);
  if (end == pszFile || *end != '\0' || value != static_cast<uintptr_t>(OutputHandle()))
    return -1;
  return reinterpret_cast<INT_PTR>(g_active->OpenCursor());
}

FNREAD(Read) {
  CabinetExtractor::ReadCursor* cursor = CursorOf(hf);
  if (!cursor) return static_cast<UINT>(-1);
  return static_cast<UINT>(g_active->Read(cursor, pv, cb));
}

FNWRITE(Write) {
  if (!g_active || hf != OutputHandle()) return static_cast<UINT>(-1);
  return g_active->Append(pv, cb) ? cb : static_cast<UINT>(-1);
}

FNCLOSE(Close) {
  if (g_active && hf == OutputHandle()) return 0;  // output files are the extractor
  CabinetExtractor::ReadCursor* cursor = CursorOf(hf);
  if (!cursor) return -1;
  g_active->CloseCursor(cursor);
  return 0;
}

FNSEEK(Seek) {
  CabinetExtractor::ReadCursor* cursor = CursorOf(hf);
  if (!cursor) return -1;
  return g_active->Seek(cursor, dist, seektype);
}

FNFDINOTIFY(Notify) {
  auto* extractor = static_cast<CabinetExtractor*>(pfdin->pv);
  switch (fdint) {
    case fdintCOPY_FILE:
      switch (extractor->BeginFile(pfdin->psz1 ? pfdin->psz1 : "", pfdin->cb)) {
        case CabinetExtractor::FileDecision::kExtract:
          return reinterpret_cast<INT_PTR>(extractor);
        case CabinetExtractor::FileDecision::kSkip:
          return 0;
        case CabinetExtractor::FileDecision::kRefuse:
          return -1;
      }
      return -1;
    case fdintCLOSE_FILE_INFO:
      extractor->EndFile(pfdin->psz1 ? pfdin->psz1 : "");
      return TRUE;
    case fdintCABINET_INFO:
    case fdintENUMERATE:
      return 0;
    default:  // a file continued from or into another volume
      return -1;
  }
}

}  // namespace

bool ExtractFiles(const void* data, size_t size, const std::string& wanted, ExtractedFiles* out) {
  const CabinetLibrary* library = BindCabinetLibrary();
  if (!library) return false;
  CabinetExtractor extractor(data, size, wanted);
  if (!extractor.usable()) return false;

  ERF error = {};
  HFDI context = library->create(Allocate, Release, Open, Read, Write, Close, Seek, cpuUNKNOWN,
                                 &error);
  if (!context) return false;
  g_active = &extractor;
  std::string name = std::to_string(static_cast<uintptr_t>(OutputHandle()));
  char empty_path[1] = {'\0'};
  BOOL copied = library->copy(context, &name[0], empty_path, 0, Notify, nullptr, &extractor);
  library->destroy(context);
  g_active = nullptr;

  ExtractedFiles files = extractor.TakeFiles();
  for (auto& file : files) (*out)[file.first] = std::move(file.second);
  return copied != FALSE;
}

}  // namespace lite_installer
