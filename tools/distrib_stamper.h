// Deployer tool library: places distribution parameters into an already
// signed installer the way the download service does - right after the
// PKCS#7 signature inside the certificate table, with the WIN_CERTIFICATE
// length and the security directory size grown to match. The signature stays
// valid because Authenticode does not hash the certificate table.
#pragma once

#include <string>

namespace lite_installer {

// Stamps `params` (at most 65535 bytes) into `image`, replacing any block
// already there. False, with `error` set and `image` unchanged, when the
// image is not a signed PE32 file whose certificate table ends the file.
bool StampDistribBlock(std::string* image, const std::string& params, std::string* error);

}  // namespace lite_installer
