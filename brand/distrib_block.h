// The distribution block that the download service places in the installer's
// certificate table, right after the PKCS#7 signature: the marker "Txct", a
// 16-bit big-endian length and the parameter text. Reads operate on the bytes
// of the whole file, and every offset is checked against their size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lite_installer {

namespace distrib_block {
constexpr char kMarker[4] = {'T', 'x', 'c', 't'};
// From the "PE\0\0" signature to the security entry of a PE32 image's data
// directories.
constexpr size_t kSecurityEntryOffset = 0x98;
constexpr size_t kCertificateHeaderSize = 8;
}  // namespace distrib_block

// The parameter text of the block, or empty when the image has no certificate
// table, the signature does not use the two-byte length form, the marker is
// missing or anything lies outside the `size` bytes at `image`.
std::string ReadDistribBlock(const void* image, size_t size);

}  // namespace lite_installer
