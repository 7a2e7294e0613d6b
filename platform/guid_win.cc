// A random GUID from the system's random generator. CoCreateGuid makes the
// same kind (version 4, random), but importing ole32.dll for it loaded ole32,
// combase and rpcrt4 at every start, before the download's first request,
// and the call itself loaded bcrypt, crypt32 and rsaenh (measured under Wine
// 8); advapi32's generator is already there.
#include <windows.h>
#include <ntsecapi.h>

#include "platform/guid.h"

namespace lite_installer {

std::string GenerateGuidString() {
  uint8_t random[16];
  if (!::RtlGenRandom(random, sizeof(random))) return std::string();
  return RandomGuidText(random);
}

}  // namespace lite_installer
