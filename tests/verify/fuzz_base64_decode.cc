// Fuzz target: both Base64 decoders on any bytes. Beyond memory errors it
// checks what the decoders promise: the lenient count does not depend on the
// capacity, a strict success decodes to the same bytes leniently, and nothing
// is written past the capacity.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "verify/base64_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lite_installer;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<uint8_t> strict;
  const bool strict_ok = Base64Decode(text, &strict);
  if (!strict_ok && !strict.empty()) std::abort();
  if (strict_ok && strict.size() > size / 4 * 3) std::abort();

  size_t counted = 0;
  LenientBase64Decode(text.data(), text.size(), nullptr, &counted);
  std::vector<uint8_t> full(size + 1);
  size_t full_length = full.size();
  const bool full_ok = LenientBase64Decode(text.data(), text.size(), full.data(), &full_length);
  if (!full_ok || full_length != counted) std::abort();
  full.resize(full_length);
  if (strict_ok && text.find('\0') == std::string::npos && full != strict) std::abort();

  const size_t capacity = size % 7;
  std::vector<uint8_t> small(capacity + 8, 0xA5);
  size_t small_length = capacity;
  const bool small_ok = LenientBase64Decode(text.data(), text.size(), small.data(), &small_length);
  if (small_length != counted || small_ok != (counted <= capacity)) std::abort();
  for (size_t i = capacity; i < small.size(); ++i)
    if (small[i] != 0xA5) std::abort();
  return 0;
}
