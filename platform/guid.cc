// The text of a random GUID; portable.
#include "platform/guid.h"

namespace lite_installer {

std::string RandomGuidText(const uint8_t random[16]) {
  uint8_t b[16];
  for (int i = 0; i < 16; ++i) b[i] = random[i];
  // The fields as a GUID holds them in memory: Data1 (32 bits), Data2 and
  // Data3 (16 bits each) little-endian, then Data4 byte by byte.
  b[7] = static_cast<uint8_t>((b[7] & 0x0F) | 0x40);  // version 4 (Data3's high nibble)
  b[8] = static_cast<uint8_t>((b[8] & 0x3F) | 0x80);  // variant 10xx
  static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
    text.push_back(kHex[b[kOrder[i]] >> 4]);
    text.push_back(kHex[b[kOrder[i]] & 0x0F]);
  }
  return text;
}

}  // namespace lite_installer
