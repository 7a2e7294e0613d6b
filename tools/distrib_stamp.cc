// distrib_stamp: stamps distribution parameters into a signed installer, or
// reads them back with the installer's own reader.
//   distrib_stamp stamp <signed.exe> <out.exe> <key=value&...>
//   distrib_stamp read <installer.exe>
#include <cstdio>
#include <string>

#include "brand/distrib_block.h"
#include "tools/distrib_stamper.h"

namespace {

bool ReadFile(const char* path, std::string* bytes) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes->append(buffer, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool WriteFile(const char* path, const std::string& bytes) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

int Usage() {
  std::fprintf(stderr,
               "usage: distrib_stamp stamp <signed.exe> <out.exe> <key=value&...>\n"
               "       distrib_stamp read <installer.exe>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  std::string image;
  if (!ReadFile(argv[2], &image)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 1;
  }
  if (command == "read" && argc == 3) {
    std::string params = lite_installer::ReadDistribBlock(image.data(), image.size());
    if (params.empty()) {
      std::fprintf(stderr, "no distribution parameters\n");
      return 1;
    }
    std::fwrite(params.data(), 1, params.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
  }
  if (command == "stamp" && argc == 5) {
    std::string error;
    if (!lite_installer::StampDistribBlock(&image, argv[4], &error)) {
      std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
      return 1;
    }
    if (!WriteFile(argv[3], image)) {
      std::fprintf(stderr, "cannot write %s\n", argv[3]);
      return 1;
    }
    return 0;
  }
  return Usage();
}
