// The two Base64 decoders of module verification, over the standard alphabet
// (A-Z, a-z, 0-9, "+", "/"). The strict one reads the built-in key texts, which
// this build generates itself; the lenient one reads certificate identities out
// of a downloaded document, where line breaks and padding are common.
// Portable: no Windows header, fuzzed on the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lite_installer {

// Strict decoding. An empty text gives zero bytes and true. Otherwise the
// length must be a multiple of 4 (at least 4); at most two trailing "=" are
// dropped and every other character must belong to the alphabet. On false the
// bytes are left empty.
bool Base64Decode(const std::string& text, std::vector<uint8_t>* bytes);

// Lenient decoding of `length` characters of `text`, stopping early at a NUL
// that starts a group. Characters outside the alphabet ("=", blanks, line
// breaks, anything else) are skipped. `output` may be null (bytes are then only
// counted). `*length_inout` holds the capacity of `output` on entry and the
// number of decoded bytes on return, even when they did not all fit. Returns
// true only when every decoded byte was written; false also for a null text
// or length.
bool LenientBase64Decode(const char* text, size_t length, uint8_t* output, size_t* length_inout);

}  // namespace lite_installer
