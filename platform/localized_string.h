// Strings of the program's string tables in exactly one language: the
// dialog's texts follow the brand configuration's language id, never the
// thread's or the user's language.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lite_installer {

// String `id` from the string-table block of the program's module in the
// language `language_id` (no fallback to another language). Empty when the
// block or the entry is missing or empty.
std::wstring LoadLocalizedString(uint32_t id, uint32_t language_id);

// Entry `index` (0-15) of a string-table block: sixteen entries, each a 16-bit
// length followed by that many UTF-16 units. Empty when the block ends before
// the entry does.
std::wstring StringFromTableBlock(const void* block, size_t size, unsigned index);

}  // namespace lite_installer
