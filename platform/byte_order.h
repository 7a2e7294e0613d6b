// Reading and writing fixed-size integers in a byte buffer, little- or
// big-endian, independent of the host's own order. The caller checks bounds.
#pragma once

#include <cstdint>
#include <string>

namespace lite_installer {

inline uint16_t LoadLe16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t LoadLe32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint16_t LoadBe16(const unsigned char* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

inline void StoreLe32(unsigned char* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

// The same over a std::string holding raw bytes.
inline const unsigned char* BytesAt(const std::string& s, uint64_t at) {
  return reinterpret_cast<const unsigned char*>(s.data()) + at;
}
inline unsigned char* BytesAt(std::string* s, uint64_t at) {
  return reinterpret_cast<unsigned char*>(&(*s)[0]) + at;
}

}  // namespace lite_installer
