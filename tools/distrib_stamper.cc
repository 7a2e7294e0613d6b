// The stamping itself; host code, tested against the installer's own reader.
#include "tools/distrib_stamper.h"

#include <cstdint>

#include "brand/distrib_block.h"
#include "platform/byte_order.h"

namespace lite_installer {
namespace {

constexpr size_t kAlignment = 8;
constexpr uint16_t kPe32Magic = 0x10B;

uint32_t Le32(const std::string& s, uint64_t at) { return LoadLe32(BytesAt(s, at)); }
uint16_t Le16(const std::string& s, uint64_t at) { return LoadLe16(BytesAt(s, at)); }
void PutLe32(std::string* s, uint64_t at, uint32_t value) { StoreLe32(BytesAt(s, at), value); }

bool Fail(std::string* error, const char* text) {
  *error = text;
  return false;
}

}  // namespace

bool StampDistribBlock(std::string* image, const std::string& params, std::string* error) {
  const std::string& in = *image;
  const uint64_t size = in.size();
  if (params.size() > 0xFFFF) return Fail(error, "the parameter text is longer than 65535 bytes");
  if (size < 0x40 || in[0] != 'M' || in[1] != 'Z') return Fail(error, "not an MZ image");
  const uint64_t pe = Le32(in, 0x3C);
  if (pe + distrib_block::kSecurityEntryOffset + 8 > size || in.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
    return Fail(error, "no PE header");
  if (Le16(in, pe + 24) != kPe32Magic) return Fail(error, "not a PE32 (32-bit) image");
  const uint64_t entry = pe + distrib_block::kSecurityEntryOffset;
  const uint64_t table = Le32(in, entry);
  const uint64_t table_size = Le32(in, entry + 4);
  if (table == 0 || table_size == 0) return Fail(error, "the image is not signed");
  if (table + table_size != size)
    return Fail(error, "the certificate table does not end the file");
  if (table_size < distrib_block::kCertificateHeaderSize + 4 ||
      static_cast<uint8_t>(in[table + 8]) != 0x30 || static_cast<uint8_t>(in[table + 9]) != 0x82)
    return Fail(error, "the signature does not start with a two-byte DER length");
  const uint64_t content_length =
      (static_cast<uint8_t>(in[table + 10]) << 8) | static_cast<uint8_t>(in[table + 11]);
  if (table + distrib_block::kCertificateHeaderSize + 4 + content_length > size)
    return Fail(error, "the signature runs past the end of the file");
  if (Le32(in, table) > table_size) return Fail(error, "inconsistent WIN_CERTIFICATE length");

  // Everything after the signature (an earlier block, padding) is replaced.
  const uint64_t marker = table + ((content_length + 19) & ~uint64_t{7});
  std::string out = in.substr(0, marker);
  out.resize(marker, '\0');
  out.append(distrib_block::kMarker, sizeof(distrib_block::kMarker));
  out.push_back(static_cast<char>(params.size() >> 8));
  out.push_back(static_cast<char>(params.size()));
  out.append(params);
  while ((out.size() - table) % kAlignment) out.push_back('\0');

  const uint32_t new_size = static_cast<uint32_t>(out.size() - table);
  PutLe32(&out, table, new_size);
  PutLe32(&out, entry + 4, new_size);
  image->swap(out);
  return true;
}

}  // namespace lite_installer
