// The installation id's text from random bytes: the fields in GUID order,
// upper-case, version 4 and variant 10xx forced, as StringFromGUID2 writes
// a GUID of those bytes. Portable.
#include <gtest/gtest.h>

#include "platform/guid.h"

namespace lite_installer {
namespace {

TEST(RandomGuidText, FieldsInGuidOrderWithVersionAndVariant) {
  struct Case {
    uint8_t fill;
    bool counting;
    const char* text;
  };
  const Case kCases[] = {
      {0, true, "03020100-0504-4706-8809-0A0B0C0D0E0F"},
      {0xFF, false, "FFFFFFFF-FFFF-4FFF-BFFF-FFFFFFFFFFFF"},
      {0x00, false, "00000000-0000-4000-8000-000000000000"},
  };
  for (const Case& c : kCases) {
    uint8_t random[16];
    for (int i = 0; i < 16; ++i) random[i] = c.counting ? static_cast<uint8_t>(i) : c.fill;
    EXPECT_EQ(c.text, RandomGuidText(random));
  }
}

}  // namespace
}  // namespace lite_installer
