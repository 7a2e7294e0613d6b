// URL escaping and host extraction through the system's URL helpers. Any
// failure gives an empty text.
#pragma once

#include <string>

namespace lite_installer {

// UrlEscapeW with URL_ESCAPE_SEGMENT_ONLY into 2084 characters.
std::wstring EscapeUrlSegment(const std::wstring& text);
// Canonicalised (browser mode), then cracked with ICU_DECODE: the host only.
std::wstring HostOfUrl(const std::wstring& url);

}  // namespace lite_installer
