// libFuzzer target: splitting parameter texts and building "distrib_info".
// Checks that splitting loses no byte: the pairs joined again give the text
// back, up to a trailing "&".
#include <cstdint>
#include <string>

#include "brand/distrib_params_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string joined;
  const auto pairs = lite_installer::SplitDistribParams(text);
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i) joined += '&';
    joined += pairs[i].first;
    // A key that stopped at "=" has its value after it; one that stopped at
    // "&" or the end has an empty value and no "=".
    size_t at = joined.size();
    if (at < text.size() && text[at] == '=') joined += '=' + pairs[i].second;
  }
  if (joined != text && joined + '&' != text) __builtin_trap();
  lite_installer::MakeDistribInfoDocument(text);
  return 0;
}
