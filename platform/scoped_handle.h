// Small owners for Win32 handles: each closes its handle in the destructor and
// zeroes it in Reset(), whether or not the close succeeded.
#pragma once

#include <windows.h>

namespace lite_installer {

template <typename Traits>
class ScopedGeneric {
 public:
  using Handle = typename Traits::Handle;
  ScopedGeneric() = default;
  explicit ScopedGeneric(Handle handle) : handle_(handle) {}
  ~ScopedGeneric() { Reset(); }
  ScopedGeneric(const ScopedGeneric&) = delete;
  ScopedGeneric& operator=(const ScopedGeneric&) = delete;

  bool IsValid() const { return Traits::IsValid(handle_); }
  Handle Get() const { return handle_; }
  void Reset(Handle handle = Traits::Null()) {
    if (Traits::IsValid(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }
  Handle Release() {
    Handle h = handle_;
    handle_ = Traits::Null();
    return h;
  }

 private:
  Handle handle_ = Traits::Null();
};

// Handles of files (INVALID_HANDLE_VALUE when not held).
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

// Kernel objects whose "none" is null: events, mutexes, processes, threads,
// file mappings.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};

struct MappedViewTraits {
  using Handle = const void*;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::UnmapViewOfFile(h); }
};

// Memory the system allocated for the caller with LocalAlloc (security
// descriptors, SID texts, decoded objects, argument vectors).
struct LocalMemoryTraits {
  using Handle = void*;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::LocalFree(h); }
};

// Searches begun with FindFirstFileW.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::FindClose(h); }
};

using ScopedFile = ScopedGeneric<FileHandleTraits>;
using ScopedHandle = ScopedGeneric<KernelHandleTraits>;
using ScopedRegKey = ScopedGeneric<RegKeyTraits>;
using ScopedMappedView = ScopedGeneric<MappedViewTraits>;
using ScopedLocalMemory = ScopedGeneric<LocalMemoryTraits>;
using ScopedFindHandle = ScopedGeneric<FindHandleTraits>;

}  // namespace lite_installer
