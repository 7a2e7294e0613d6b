// libFuzzer target: the PE resource reader on arbitrary files. The input is
// copied to a buffer of exactly its size so that AddressSanitizer catches any
// read past it, and every run must stay within the reader's bounds: a few
// kilobytes of structure plus the resource, never more than the limit.
#include <cstdint>
#include <cstring>
#include <memory>

#include "verify/pe_resources.h"

namespace {

constexpr size_t kLimit = 64 * 1024;
constexpr size_t kStructureBound = 16 * 1024;

class CountingSource : public lite_installer::MemoryImageSource {
 public:
  using MemoryImageSource::MemoryImageSource;
  size_t ReadAt(uint64_t offset, void* buffer, size_t length) override {
    requested += length;
    return MemoryImageSource::ReadAt(offset, buffer, length);
  }
  size_t requested = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> file(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(file.get(), data, size);
  CountingSource source(file.get(), size);
  lite_installer::PeResourceReader reader(&source);
  const uint16_t languages[] = {0, 0x409, 0x7, 0x419};
  size_t returned = 0;
  for (const char* type : {"TRUSTED_JSON", "SIGNATURE_DAT", "#16"}) {
    lite_installer::ResourceBytes r =
        reader.Read(type, type[0] == '#' ? "#1" : type[0] == 'T' ? "TRUSTED.JSON" : "SIGNATURE.DAT",
                    languages, 4, kLimit);
    if (r.bytes.size() > kLimit) __builtin_trap();
    if (r.status != lite_installer::ResourceStatus::kFound && !r.bytes.empty()) __builtin_trap();
    returned += r.bytes.size();
  }
  if (source.requested > kStructureBound + returned) __builtin_trap();
  return 0;
}
