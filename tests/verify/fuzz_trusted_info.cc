// Fuzz target: the trusted-info reader on any text (it comes out of a
// downloaded file, although only after its signature has verified). Every
// identity kept must be non-empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "verify/tavrix_trust_verifier.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  lite_installer::TavrixTrustVerifier verifier(text);
  for (const auto& id : verifier.certificate_ids())
    if (id.empty()) std::abort();
  return 0;
}
