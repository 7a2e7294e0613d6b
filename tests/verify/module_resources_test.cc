// The resource reader against the system's own lookup, under Wine: for each
// crafted image (lookup rules, broken headers, cut files) and for every
// resource of real images, ModuleResources must give what a data-image load
// with FindResourceW gave (the installer's former way): the same verdict on
// the file, the same bytes, the same error when nothing is found. Where the
// reader deliberately differs (images of other machines, entries pointing
// outside the image, which made the old way crash), the host tables pin it.
#include "verify/module_resources.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/file_bytes.h"
#include "platform/path_util.h"
#include "platform/string_conversion.h"
#include "tests/verify/pe_image_builder.h"

namespace lite_installer {
namespace {

using test_pe::ImageBuilder;
using test_pe::Put16;
using test_pe::Put32;

constexpr size_t kLimit = 64 << 20;

struct Outcome {
  bool valid = false;
  DWORD error = 0;  // of the load, or of the lookup that found nothing
  std::vector<uint8_t> bytes;
};

std::wstring Wide(const std::string& text) { return Widen(text); }

Outcome ThroughTheLoader(const std::wstring& path, const std::string& type,
                         const std::string& name) {
  Outcome o;
  HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) {
    o.error = ::GetLastError();
    return o;
  }
  o.valid = true;
  ::SetLastError(0);
  HRSRC resource = ::FindResourceW(module, Wide(name).c_str(), Wide(type).c_str());
  if (!resource) {
    o.error = ::GetLastError();
  } else {
    DWORD size = ::SizeofResource(module, resource);
    const uint8_t* bytes = static_cast<const uint8_t*>(::LockResource(::LoadResource(module, resource)));
    if (bytes && size) o.bytes.assign(bytes, bytes + size);
  }
  ::FreeLibrary(module);
  return o;
}

Outcome ThroughTheReader(const std::wstring& path, const std::string& type,
                         const std::string& name) {
  Outcome o;
  const ModuleResources module(path);
  o.valid = module.IsValid();
  if (!o.valid) {
    o.error = module.error();
    return o;
  }
  ::SetLastError(0);
  o.bytes = module.Read(type.c_str(), name.c_str(), kLimit);
  if (o.bytes.empty()) o.error = ::GetLastError();
  return o;
}

void ExpectSame(const std::wstring& path, const std::string& type, const std::string& name,
                const std::string& label) {
  const Outcome system = ThroughTheLoader(path, type, name);
  const Outcome reader = ThroughTheReader(path, type, name);
  EXPECT_EQ(system.valid, reader.valid) << label;
  EXPECT_EQ(system.error, reader.error) << label;
  EXPECT_EQ(system.bytes, reader.bytes) << label << " " << type << "/" << name;
}

std::wstring TempFile(const wchar_t* name) { return GetTemporaryDirectoryPath() + name; }

std::vector<test_pe::Resource> TrustedResources() {
  return {{"TRUSTED_JSON", "TRUSTED.JSON", 0, "{\"trusted_info\":{}}\n"},
          {"SIGNATURE_DAT", "SIGNATURE.DAT", 0, std::string("\x01\x00sig", 5)}};
}

ImageBuilder WithLanguages(std::vector<uint16_t> languages) {
  ImageBuilder b;
  for (uint16_t l : languages)
    b.resources.push_back({"TRUSTED_JSON", "TRUSTED.JSON", l, "language " + std::to_string(l)});
  return b;
}

struct CraftedCase {
  const char* label;
  std::function<ImageBuilder()> image;
  std::function<void(std::vector<uint8_t>*)> patch;
  const char* type;
  const char* name;
};

const uint32_t kFileHeader = test_pe::kPeOffset + 4;
const uint32_t kOptional = kFileHeader + 20;
const uint32_t kSections = kOptional + test_pe::kOptionalHeaderSize;

ImageBuilder Trusted() {
  ImageBuilder b;
  b.resources = TrustedResources();
  return b;
}

ImageBuilder ManyTypes(bool sorted) {
  ImageBuilder b = Trusted();
  for (const char* t : {"AAA", "BIN", "ZZZ", "TRUSTED_JSOX", "TRUSTED_JSO", "TRUSTED_JSONX"})
    b.resources.push_back({t, "TRUSTED.JSON", 0, t});
  b.sort_entries = sorted;
  return b;
}

auto NoPatch = [](std::vector<uint8_t>*) {};

const CraftedCase kCrafted[] = {
    {"both resources", Trusted, NoPatch, "TRUSTED_JSON", "TRUSTED.JSON"},
    {"signature", Trusted, NoPatch, "SIGNATURE_DAT", "SIGNATURE.DAT"},
    {"query in lower case is upcased", Trusted, NoPatch, "trusted_json", "Trusted.Json"},
    {"names stored in lower case are not found",
     [] { ImageBuilder b = Trusted(); b.lower_case_names = true; return b; }, NoPatch,
     "TRUSTED_JSON", "TRUSTED.JSON"},
    {"neighbours and prefixes", [] { return ManyTypes(true); }, NoPatch, "TRUSTED_JSON",
     "TRUSTED.JSON"},
    {"prefix of a stored name", [] { return ManyTypes(true); }, NoPatch, "TRUSTED_JS",
     "TRUSTED.JSON"},
    {"unsorted: binary search misses", [] { return ManyTypes(false); }, NoPatch,
     "SIGNATURE_DAT", "SIGNATURE.DAT"},
    {"unsorted: binary search hits", [] { return ManyTypes(false); }, NoPatch, "TRUSTED_JSON",
     "TRUSTED.JSON"},
    {"missing name", Trusted, NoPatch, "TRUSTED_JSON", "SIGNATURE.DAT"},
    {"id type", [] { ImageBuilder b; b.resources = {{"#77", "#5", 0, "ids"}}; return b; },
     NoPatch, "#77", "#5"},
    {"neutral first", [] { return WithLanguages({0, 0x409, 0x419}); }, NoPatch, "TRUSTED_JSON",
     "TRUSTED.JSON"},
    {"user's language", [] { return WithLanguages({0x407, 0x409, 0x419}); }, NoPatch,
     "TRUSTED_JSON", "TRUSTED.JSON"},
    {"user's primary language", [] { return WithLanguages({0x7, 0x9, 0x419}); }, NoPatch,
     "TRUSTED_JSON", "TRUSTED.JSON"},
    {"else the first", [] { return WithLanguages({0x419, 0x40C}); }, NoPatch, "TRUSTED_JSON",
     "TRUSTED.JSON"},
    {"no resource directory", Trusted, [](auto* v) { Put32(v, kOptional + 92, 2); },
     "TRUSTED_JSON", "TRUSTED.JSON"},
    {"resource directory of size 0", Trusted, [](auto* v) { Put32(v, kOptional + 96 + 20, 0); },
     "TRUSTED_JSON", "TRUSTED.JSON"},
    {"resource section without raw data", Trusted, [](auto* v) { Put32(v, kSections + 56, 0); },
     "TRUSTED_JSON", "TRUSTED.JSON"},
    {"resource section without virtual size", Trusted,
     [](auto* v) { Put32(v, kSections + 48, 0); }, "TRUSTED_JSON", "TRUSTED.JSON"},
    {"no sections", Trusted, [](auto* v) { Put16(v, kFileHeader + 2, 0); }, "TRUSTED_JSON",
     "TRUSTED.JSON"},
    {"97 sections", Trusted, [](auto* v) { Put16(v, kFileHeader + 2, 97); }, "TRUSTED_JSON",
     "TRUSTED.JSON"},
    {"optional header too small", Trusted, [](auto* v) { Put16(v, kFileHeader + 16, 0x60); },
     "TRUSTED_JSON", "TRUSTED.JSON"},
    {"image size 0", Trusted, [](auto* v) { Put32(v, kOptional + 56, 0); }, "TRUSTED_JSON",
     "TRUSTED.JSON"},
    {"PE offset past the end", Trusted, [](auto* v) { Put32(v, 0x3C, 0x7FFFFFF0); },
     "TRUSTED_JSON", "TRUSTED.JSON"},
    {"section data past the end", Trusted, [](auto* v) { Put32(v, kSections + 60, 0x100000); },
     "TRUSTED_JSON", "TRUSTED.JSON"},
    {"cut inside the resource section", Trusted,
     [](auto* v) { v->resize(Trusted().ResourceSectionOffset() + 100); }, "TRUSTED_JSON",
     "TRUSTED.JSON"},
    {"cut at the resource section", Trusted,
     [](auto* v) { v->resize(Trusted().ResourceSectionOffset()); }, "TRUSTED_JSON",
     "TRUSTED.JSON"},
    {"cut in the headers", Trusted, [](auto* v) { v->resize(0x100); }, "TRUSTED_JSON",
     "TRUSTED.JSON"},
    {"text", Trusted, [](auto* v) { *v = {'t', 'e', 'x', 't'}; }, "TRUSTED_JSON",
     "TRUSTED.JSON"},
};

TEST(ModuleResources, CraftedImagesGiveWhatTheSystemGives) {
  const std::wstring path = TempFile(L"module_resources_case.dll");
  for (const CraftedCase& c : kCrafted) {
    std::vector<uint8_t> image = c.image().Build();
    c.patch(&image);
    ASSERT_TRUE(WriteBytesToFile(path, std::string(image.begin(), image.end()))) << c.label;
    ExpectSame(path, c.type, c.name, c.label);
  }
  ::DeleteFileW(path.c_str());
}

TEST(ModuleResources, MissingFileAndFolderAreNoModule) {
  ExpectSame(TempFile(L"no such file.dll"), "TRUSTED_JSON", "TRUSTED.JSON", "missing file");
  ExpectSame(TempFile(L"no such folder\\setup.exe"), "TRUSTED_JSON", "TRUSTED.JSON",
             "missing folder");
}

// Every resource of real images, in the language the system chooses.
using ResourceList = std::vector<std::pair<std::string, std::string>>;

std::string KeyOf(LPCWSTR key) {
  if (IS_INTRESOURCE(key)) return "#" + std::to_string(reinterpret_cast<uintptr_t>(key));
  return WideToUtf8(key);
}

struct Walk {
  ResourceList found;
  std::string type;
};

BOOL CALLBACK OnName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  Walk* walk = reinterpret_cast<Walk*>(param);
  walk->found.emplace_back(walk->type, KeyOf(name));
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
  reinterpret_cast<Walk*>(param)->type = KeyOf(type);
  ::EnumResourceNamesW(module, type, &OnName, param);
  return TRUE;
}

ResourceList ResourcesOf(const std::wstring& path) {
  Walk walk;
  HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return walk.found;
  ::EnumResourceTypesW(module, &OnType, reinterpret_cast<LONG_PTR>(&walk));
  ::FreeLibrary(module);
  return walk.found;
}

TEST(ModuleResources, EveryResourceOfRealImagesIsTheSystemsOwn) {
  wchar_t buffer[MAX_PATH];
  ::GetSystemDirectoryW(buffer, MAX_PATH);
  const std::wstring system = buffer;
  ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  const std::wstring bin = GetDirectoryPart(buffer);
  size_t compared = 0;
  for (const std::wstring& path :
       {system + L"\\kernel32.dll", system + L"\\shell32.dll", system + L"\\comctl32.dll",
        system + L"\\wininet.dll", system + L"\\user32.dll", bin + L"\\lite_installer.exe"}) {
    const auto resources = ResourcesOf(path);
    EXPECT_FALSE(resources.empty()) << WideToUtf8(path);
    for (const auto& r : resources) {
      // Names the narrow key cannot spell are left out.
      if (r.first.size() > 64 || r.second.size() > 64) continue;
      ExpectSame(path, r.first, r.second, WideToUtf8(path));
      ++compared;
    }
  }
  EXPECT_GT(compared, 100u);
}

TEST(ModuleResources, OpensBesideAHolderThatSharesReadingOnly) {
  // The install flow holds the verified file this way while it is checked.
  const std::wstring path = TempFile(L"module_resources_held.dll");
  ASSERT_TRUE(WriteBytesToFile(path, Trusted().BuildText()));
  ScopedFile held(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held.IsValid());
  {
    const ModuleResources module(path);
    ASSERT_TRUE(module.IsValid());
    EXPECT_FALSE(module.Read("TRUSTED_JSON", "TRUSTED.JSON", kLimit).empty());
  }
  held.Reset();
  // Let go of once destroyed: a writer that shares nothing gets in.
  ScopedFile writer(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(writer.IsValid());
  writer.Reset();
  ::DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace lite_installer
