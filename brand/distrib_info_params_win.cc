// Loading the distribution parameters on Windows: the switch, else the block
// in the installer's own file (read through a read-only mapping), then the
// registry value and the "distrib_info" file for the setup.
#include "brand/distrib_info_params.h"

#include <windows.h>

#include "brand/distrib_block.h"
#include "brand/distrib_params_text.h"
#include "platform/file_bytes.h"
#include "installer/command_line.h"
#include "installer/registry_values.h"
#include "platform/path_util.h"
#include "platform/scoped_handle.h"
#include "platform/string_conversion.h"

namespace lite_installer {
namespace {

constexpr wchar_t kDistribInfoFileName[] = L"distrib_info";

// The block of the file at `path`; empty on any failure.
std::string ReadDistribBlockOfFile(const std::wstring& path) {
  if (path.empty()) return std::string();
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return std::string();
  ScopedHandle mapping(::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.IsValid()) return std::string();
  ScopedMappedView view(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
  if (!view.IsValid()) return std::string();
  MEMORY_BASIC_INFORMATION region = {};
  if (::VirtualQuery(view.Get(), &region, sizeof(region)) != sizeof(region)) return std::string();
  // The region is whole pages; only the file's bytes belong to the image.
  LARGE_INTEGER file_size = {};
  size_t size = region.RegionSize;
  if (::GetFileSizeEx(file.Get(), &file_size) && static_cast<ULONGLONG>(file_size.QuadPart) < size)
    size = static_cast<size_t>(file_size.QuadPart);
  return ReadDistribBlock(view.Get(), size);
}

// Writes "distrib_info" for the parameter text; the path, or empty when the
// text holds no pairs. The path is returned also when writing failed.
std::wstring WriteDistribInfoFile(const std::wstring& folder, const std::string& text,
                                 std::string* language) {
  DistribInfoDocument document = MakeDistribInfoDocument(text);
  if (!document.has_params) return std::wstring();
  std::wstring path = (folder.empty() ? GetTemporaryDirectoryPath() : folder) + kDistribInfoFileName;
  *language = document.language;
  if (!document.json.empty()) WriteBytesToFile(path, document.json);
  return path;
}

}  // namespace

void DistribInfoParams::StoreParams(const std::string& params) {
  StoreValueInRegistry(registry_values::kDistribInfoParams, Widen(params));
}

std::wstring DistribInfoParams::ModulePath() const { return GetProgramPath(); }

bool DistribInfoParams::Load(const CommandLine& command_line) {
  language_.clear();
  std::string text;
  if (ReadsStoredParams()) text = Narrow(ReadStringFromRegistry(registry_values::kDistribInfoParams));
  if (text.empty() && command_line.Has(switches::kDistrInfoParams))
    text = command_line.AsciiValue(switches::kDistrInfoParams);
  if (text.empty()) text = ReadDistribBlockOfFile(ModulePath());
  if (!ReadsStoredParams() && !text.empty()) StoreParams(text);
  distrib_file_path_ = text.empty() ? std::wstring() : WriteDistribInfoFile(folder_, text, &language_);
  return !distrib_file_path_.empty();
}

}  // namespace lite_installer
