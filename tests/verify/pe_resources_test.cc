// The bounded PE resource reader on the host: one table of crafted images with
// the lookup's verdict and bytes (the rules the Wine comparison in
// module_resources_test.cc found in the system loader, and the deliberate
// differences: other machines accepted, entries outside the image refused
// instead of read), the language order, and that no image, however hostile,
// makes it read or allocate much.
#include "verify/pe_resources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "tests/verify/pe_image_builder.h"

namespace lite_installer {
namespace {

using test_pe::ImageBuilder;
using test_pe::Put16;
using test_pe::Put32;
using Status = ResourceStatus;

constexpr size_t kLimit = 1 << 20;
const uint32_t kFileHeader = test_pe::kPeOffset + 4;
const uint32_t kOptional = kFileHeader + 20;
const uint32_t kSections = kOptional + test_pe::kOptionalHeaderSize;
const uint16_t kEnglish[] = {0, 0x409, 0x409, 0x9, 0x409, 0x9, 0x409};
const uint16_t kGerman[] = {0, 0x407, 0x407, 0x7, 0x407, 0x7, 0x409};

// Counts what the reader asks for, to bound it.
class CountingSource : public MemoryImageSource {
 public:
  using MemoryImageSource::MemoryImageSource;
  size_t ReadAt(uint64_t offset, void* buffer, size_t length) override {
    requested += length;
    ++reads;
    return MemoryImageSource::ReadAt(offset, buffer, length);
  }
  size_t requested = 0;
  size_t reads = 0;
};

ImageBuilder Trusted() {
  ImageBuilder b;
  b.resources = {{"TRUSTED_JSON", "TRUSTED.JSON", 0, "{\"doc\":1}\n"},
                 {"SIGNATURE_DAT", "SIGNATURE.DAT", 0, "\x01sig"},
                 {"#77", "#5", 0, "numeric"}};
  return b;
}

ImageBuilder Languages(std::vector<uint16_t> languages) {
  ImageBuilder b;
  for (uint16_t l : languages)
    b.resources.push_back({"TRUSTED_JSON", "TRUSTED.JSON", l, "lang" + std::to_string(l)});
  return b;
}

// Offsets inside the resource section as the builder lays it out: the root
// directory, then its entries (named first, in order), 8 bytes each.
uint32_t Rsrc() { return Trusted().ResourceSectionOffset(); }
uint32_t Le32At(const std::vector<uint8_t>& image, size_t at) {
  return image[at] | image[at + 1] << 8 | image[at + 2] << 16 | uint32_t{image[at + 3]} << 24;
}
size_t FindText(const std::vector<uint8_t>& image, const std::string& text) {
  return std::string(image.begin(), image.end()).find(text);
}
// The first aligned field holding `value` in the resource section.
uint32_t FieldHolding(const std::vector<uint8_t>& image, uint32_t value) {
  for (size_t at = Rsrc(); at + 4 <= image.size(); at += 4)
    if (Le32At(image, at) == value) return static_cast<uint32_t>(at);
  return 0;
}
// The data entry of the resource whose bytes begin with `data`.
uint32_t DataEntryOf(const std::vector<uint8_t>& image, const std::string& data) {
  return FieldHolding(image, 0x2000 + static_cast<uint32_t>(FindText(image, data) - Rsrc()));
}

struct Case {
  const char* label;
  std::function<ImageBuilder()> image;
  std::function<void(std::vector<uint8_t>*)> patch;
  const char* type;
  const char* name;
  const uint16_t* languages;
  Status status;
  std::string bytes;  // for kFound
};

auto None = [](std::vector<uint8_t>*) {};
auto SortedOff = [] { ImageBuilder b = Trusted(); b.sort_entries = false;
                      b.resources.push_back({"AAA", "X", 0, "a"});
                      b.resources.push_back({"ZZZ", "X", 0, "z"}); return b; };

const Case kCases[] = {
    {"trusted info", Trusted, None, "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kFound,
     "{\"doc\":1}\n"},
    {"signature", Trusted, None, "SIGNATURE_DAT", "SIGNATURE.DAT", kEnglish, Status::kFound,
     "\x01sig"},
    {"query upcased", Trusted, None, "Trusted_Json", "trusted.json", kEnglish, Status::kFound,
     "{\"doc\":1}\n"},
    {"ids by #", Trusted, None, "#77", "#5", kEnglish, Status::kFound, "numeric"},
    {"# without digits", Trusted, None, "#", "#5", kEnglish, Status::kTypeNotFound, ""},
    {"# beyond a word", Trusted, None, "#65613", "#5", kEnglish, Status::kTypeNotFound, ""},
    {"stored lower case", [] { ImageBuilder b = Trusted(); b.lower_case_names = true; return b; },
     None, "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kTypeNotFound, ""},
    {"unsorted, searched past", SortedOff, None, "AAA", "X", kEnglish, Status::kTypeNotFound,
     ""},
    {"prefix of a name", Trusted, None, "TRUSTED_JSO", "TRUSTED.JSON", kEnglish,
     Status::kTypeNotFound, ""},
    {"name extended", Trusted, None, "TRUSTED_JSONX", "TRUSTED.JSON", kEnglish,
     Status::kTypeNotFound, ""},
    {"missing name", Trusted, None, "TRUSTED_JSON", "OTHER", kEnglish, Status::kNameNotFound, ""},
    {"neutral wins", [] { return Languages({0x409, 0x0, 0x407}); }, None, "TRUSTED_JSON",
     "TRUSTED.JSON", kGerman, Status::kFound, "lang0"},
    {"user's language", [] { return Languages({0x407, 0x409}); }, None, "TRUSTED_JSON",
     "TRUSTED.JSON", kEnglish, Status::kFound, "lang1033"},
    {"user's language (German)", [] { return Languages({0x407, 0x409}); }, None, "TRUSTED_JSON",
     "TRUSTED.JSON", kGerman, Status::kFound, "lang1031"},
    {"primary language before English", [] { return Languages({0x7, 0x409}); }, None,
     "TRUSTED_JSON", "TRUSTED.JSON", kGerman, Status::kFound, "lang7"},
    {"else the first entry", [] { return Languages({0x419, 0x40C}); }, None, "TRUSTED_JSON",
     "TRUSTED.JSON", kEnglish, Status::kFound, "lang1036"},  // ids are sorted
    {"every language a directory", Trusted,
     [](auto* v) {
       const uint32_t entry = FieldHolding(*v, DataEntryOf(*v, "{\"doc") - Rsrc());
       Put32(v, entry, Le32At(*v, entry) | 0x80000000u);
     },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kLanguageNotFound, ""},
    {"type entry is data", Trusted,
     [](auto* v) { (*v)[Rsrc() + 16 + 8 + 7] &= 0x7F; }, "TRUSTED_JSON", "TRUSTED.JSON",
     kEnglish, Status::kTypeNotFound, ""},
    {"type points back at the root", Trusted, [](auto* v) { Put32(v, Rsrc() + 16 + 8 + 4, 0x80000000u); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kNameNotFound, ""},
    {"empty", Trusted, [](auto* v) { Put32(v, DataEntryOf(*v, "{\"doc") + 4, 0); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kEmpty, ""},
    {"above the limit", Trusted, [](auto* v) { Put32(v, DataEntryOf(*v, "{\"doc") + 4, 0x7FFFFFFF); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kTooLarge, ""},
    {"data outside the image", Trusted, [](auto* v) { Put32(v, DataEntryOf(*v, "{\"doc"), 0x00800000); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kOutsideImage, ""},
    {"data across the section end", Trusted, [](auto* v) { Put32(v, DataEntryOf(*v, "{\"doc") + 4, 0x1000); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kOutsideImage, ""},
    {"data in the headers", Trusted, [](auto* v) { Put32(v, DataEntryOf(*v, "{\"doc"), 0); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kFound, std::string("MZ\0\0\0\0\0\0\0\0", 10)},
    {"cut in the data: the rest reads as zeros", Trusted,
     [](auto* v) { v->resize(FindText(*v, "\x01sig") + 1); }, "SIGNATURE_DAT", "SIGNATURE.DAT",
     kEnglish, Status::kFound, std::string("\x01\0\0\0", 4)},
    {"no resource directory", Trusted, [](auto* v) { Put32(v, kOptional + 92, 2); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kNoResources, ""},
    {"directory of size 0", Trusted, [](auto* v) { Put32(v, kOptional + 96 + 20, 0); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kNoResources, ""},
    {"directory outside every section", Trusted, [](auto* v) { Put32(v, kOptional + 96 + 16, 0x9000); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kTypeNotFound, ""},
    {"other machine, PE32+ accepted", Trusted, [](auto* v) { Put16(v, kFileHeader, 0x8664); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kFound, "{\"doc\":1}\n"},
    {"text", Trusted, [](auto* v) { *v = {'t', 'e', 'x', 't'}; }, "TRUSTED_JSON", "TRUSTED.JSON",
     kEnglish, Status::kNoImage, ""},
    {"no PE signature", Trusted, [](auto* v) { (*v)[test_pe::kPeOffset] = 'X'; }, "TRUSTED_JSON",
     "TRUSTED.JSON", kEnglish, Status::kNoImage, ""},
    {"97 sections", Trusted, [](auto* v) { Put16(v, kFileHeader + 2, 97); }, "TRUSTED_JSON",
     "TRUSTED.JSON", kEnglish, Status::kNoImage, ""},
    {"optional header too small", Trusted, [](auto* v) { Put16(v, kFileHeader + 16, 0x60); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kNoImage, ""},
    {"unknown optional magic", Trusted, [](auto* v) { Put16(v, kOptional, 0x107); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kNoImage, ""},
    {"image size 0", Trusted, [](auto* v) { Put32(v, kOptional + 56, 0); }, "TRUSTED_JSON",
     "TRUSTED.JSON", kEnglish, Status::kNoImage, ""},
    {"cut before the resource section", Trusted, [](auto* v) { v->resize(Rsrc()); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kNoImage, ""},
    {"section table past the end", Trusted, [](auto* v) { v->resize(kSections + 50); },
     "TRUSTED_JSON", "TRUSTED.JSON", kEnglish, Status::kNoImage, ""},
};

TEST(PeResourceReader, CraftedImages) {
  for (const Case& c : kCases) {
    std::vector<uint8_t> image = c.image().Build();
    c.patch(&image);
    CountingSource source(image.data(), image.size());
    PeResourceReader reader(&source);
    ResourceBytes got = reader.Read(c.type, c.name, c.languages, kResourceLanguageCount, kLimit);
    EXPECT_EQ(static_cast<int>(c.status), static_cast<int>(got.status)) << c.label;
    EXPECT_EQ(c.status != Status::kNoImage, reader.IsImage()) << c.label;
    EXPECT_EQ(c.bytes, std::string(got.bytes.begin(), got.bytes.end())) << c.label;
    // Headers, section table, a few entries and names, the resource itself.
    EXPECT_LT(source.requested, 8192 + got.bytes.size()) << c.label;
  }
}

TEST(PeResourceReader, HostileCountsAndSizesStayBounded) {
  std::vector<uint8_t> image = Trusted().Build();
  Put16(&image, Rsrc() + 12, 0xFFFF);  // named entries at the root
  Put16(&image, Rsrc() + 14, 0xFFFF);
  CountingSource source(image.data(), image.size());
  PeResourceReader reader(&source);
  for (const char* type : {"TRUSTED_JSON", "#1", "ZZZZ", "A"})
    reader.Read(type, "TRUSTED.JSON", kEnglish, kResourceLanguageCount, kLimit);
  EXPECT_LT(source.reads, 300u);
  EXPECT_LT(source.requested, 16384u);
}

TEST(PeResourceReader, LanguageOrderIsNeutralThreadUserSystemEnglish) {
  uint16_t order[kResourceLanguageCount];
  ResourceLanguageOrder(0x0C07, 0x0407, 0x0419, order);
  EXPECT_EQ((std::vector<uint16_t>{0, 0x0C07, 0x0407, 0x07, 0x0419, 0x19, 0x0409}),
            std::vector<uint16_t>(order, order + kResourceLanguageCount));
}

TEST(PeResourceReader, BuiltInstallerCarriesItsBrandPackage) {
  // A real image: the Windows build's own program, when it has been built.
  std::ifstream file(LI_WIN_BUILD_DIR "/bin/lite_installer.exe", std::ios::binary);
  if (!file) GTEST_SKIP() << "no Windows build";
  const std::vector<uint8_t> image((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  MemoryImageSource source(image.data(), image.size());
  PeResourceReader reader(&source);
  ASSERT_TRUE(reader.IsImage());
  ResourceBytes package = reader.Read("BIN", "#319", kEnglish, kResourceLanguageCount, kLimit);
  ASSERT_EQ(static_cast<int>(Status::kFound), static_cast<int>(package.status));
  EXPECT_EQ("MSCF", std::string(package.bytes.begin(), package.bytes.begin() + 4));
  EXPECT_EQ(static_cast<int>(Status::kTypeNotFound),
            static_cast<int>(reader.Read("TRUSTED_JSON", "TRUSTED.JSON", kEnglish,
                                         kResourceLanguageCount, kLimit).status));
}

}  // namespace
}  // namespace lite_installer
