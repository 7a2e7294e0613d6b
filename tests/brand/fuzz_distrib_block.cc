// libFuzzer target: the distribution block reader on arbitrary images. The
// input is copied to a buffer of exactly its size so that any read past the
// end is caught by AddressSanitizer.
#include <cstdint>
#include <cstring>
#include <memory>

#include "brand/distrib_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> image(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(image.get(), data, size);
  std::string text = lite_installer::ReadDistribBlock(image.get(), size);
  if (text.size() > size) __builtin_trap();
  return 0;
}
