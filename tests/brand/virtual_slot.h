// Tests: the table slot of a virtual member function, from the pointer to
// member as the Itanium C++ ABI of both builds (clang, mingw GCC) represents
// it: one plus the byte offset of the slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lite_installer {

template <typename MemberFunction>
size_t VirtualSlot(MemberFunction function) {
  static_assert(sizeof(function) >= sizeof(uintptr_t), "pointer to member");
  uintptr_t raw = 0;
  std::memcpy(&raw, &function, sizeof(raw));
  return (raw - 1) / sizeof(void*);
}

}  // namespace lite_installer
