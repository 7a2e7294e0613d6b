// The pieces of the C++ runtime that lite_installer.exe defines itself, so
// that the statically linked standard library does not bring what the
// program never uses (linked into the executable only; tests keep the
// library's own). The program catches no exception: every error the standard
// library would throw for (an impossible length, an index out of range, no
// memory) already ended the process through std::terminate and abort. These
// end it the same way, at once, without the exception classes, their
// copy-on-write strings, the unwinder and the demangler of the default
// terminate handler (together about 120 KB, README "Size").
#include <windows.h>

#include <bits/functexcept.h>
#include <cxxabi.h>

#include <cstdlib>
#include <new>

// The default terminate handler prints the demangled type of the exception to
// standard error, which a GUI program does not have; abort is what it does
// next.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_exception() { abort(); }
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_cast() { abort(); }
void __throw_bad_typeid() { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_domain_error(const char*) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_runtime_error(const char*) { abort(); }
void __throw_range_error(const char*) { abort(); }
void __throw_overflow_error(const char*) { abort(); }
void __throw_underflow_error(const char*) { abort(); }
void __throw_ios_failure(const char*) { abort(); }
void __throw_ios_failure(const char*, int) { abort(); }
void __throw_system_error(int) { abort(); }
void __throw_future_error(int) { abort(); }
void __throw_bad_function_call() { abort(); }
}  // namespace std

// The library's operator new throws std::bad_alloc itself (not through the
// helpers above). No new-handler is ever installed, so failing is final.
void* operator new(std::size_t size) {
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  std::abort();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

// Guards of function-local statics (the clock, the command line, the cabinet
// library), which two threads may reach first at the same time. The library's
// guards report a recursive initialisation by throwing, which brings the
// whole exception machinery into the program (unwinder, personality routine,
// type information: about 30 KB). These keep the same contract: one thread
// initialises, the others wait for it; the same thread coming back ends the
// process, as the uncaught exception did. Byte 0 of the 64-bit guard is the
// "done" flag the compiled code tests; bytes 4-7 hold the initialising
// thread's id while it runs.
namespace {

volatile char* DoneFlag(__cxxabiv1::__guard* guard) {
  return reinterpret_cast<volatile char*>(guard);
}

volatile LONG* Owner(__cxxabiv1::__guard* guard) {
  return reinterpret_cast<volatile LONG*>(reinterpret_cast<char*>(guard) + 4);
}

}  // namespace

namespace __cxxabiv1 {

extern "C" int __cxa_guard_acquire(__guard* guard) {
  const LONG self = static_cast<LONG>(::GetCurrentThreadId());
  for (;;) {
    if (__atomic_load_n(DoneFlag(guard), __ATOMIC_ACQUIRE)) return 0;
    const LONG owner = ::InterlockedCompareExchange(Owner(guard), self, 0);
    if (owner == 0) {
      // Another thread may have finished between the two looks.
      if (!__atomic_load_n(DoneFlag(guard), __ATOMIC_ACQUIRE)) return 1;
      ::InterlockedExchange(Owner(guard), 0);
      return 0;
    }
    if (owner == self) std::abort();
    ::Sleep(1);
  }
}

extern "C" void __cxa_guard_release(__guard* guard) noexcept {
  __atomic_store_n(DoneFlag(guard), 1, __ATOMIC_RELEASE);
  ::InterlockedExchange(Owner(guard), 0);
}

extern "C" void __cxa_guard_abort(__guard* guard) noexcept {
  ::InterlockedExchange(Owner(guard), 0);
}

}  // namespace __cxxabiv1
