// Host build: there is no system cabinet library, so nothing is extracted.
#include "brand/cabinet_extractor.h"

namespace lite_installer {

bool ExtractFiles(const void*, size_t, const std::string&, ExtractedFiles*) { return false; }

}  // namespace lite_installer
