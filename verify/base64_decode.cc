// Base64 decoders of module verification; portable.
#include "verify/base64_decode.h"

namespace lite_installer {
namespace {

// 0..63 for an alphabet character, -1 for anything else ("=" included).
int AlphabetValue(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Appends the whole bytes of a group of `count` (0..4) sextets, high bits first.
template <typename Sink>
void EmitGroup(const int* sextets, int count, Sink&& sink) {
  uint32_t bits = 0;
  for (int i = 0; i < count; ++i) bits = (bits << 6) | static_cast<uint32_t>(sextets[i]);
  int whole_bytes = count * 6 / 8;
  int total_bits = count * 6;
  for (int i = 0; i < whole_bytes; ++i)
    sink(static_cast<uint8_t>((bits >> (total_bits - 8 * (i + 1))) & 0xFF));
}

}  // namespace

bool Base64Decode(const std::string& text, std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (text.empty()) return true;
  if (text.size() < 4 || text.size() % 4 != 0) return false;
  size_t end = text.size();
  if (text[end - 1] == '=') {
    --end;
    if (text[end - 1] == '=') --end;
  }
  std::vector<uint8_t> out;
  out.reserve(end / 4 * 3 + 2);
  int group[4];
  int count = 0;
  for (size_t i = 0; i < end; ++i) {
    int value = AlphabetValue(static_cast<unsigned char>(text[i]));
    if (value < 0) return false;
    group[count++] = value;
    if (count == 4) {
      EmitGroup(group, 4, [&](uint8_t b) { out.push_back(b); });
      count = 0;
    }
  }
  // A final group of one character cannot occur: at most two "=" are dropped
  // from a multiple of four.
  EmitGroup(group, count, [&](uint8_t b) { out.push_back(b); });
  bytes->swap(out);
  return true;
}

bool LenientBase64Decode(const char* text, size_t length, uint8_t* output, size_t* length_inout) {
  if (!text || !length_inout) return false;
  const size_t capacity = output ? *length_inout : 0;
  size_t count = 0;
  bool all_written = output != nullptr;
  auto sink = [&](uint8_t b) {
    if (all_written && count < capacity) {
      output[count] = b;
    } else {
      all_written = false;
    }
    ++count;
  };
  size_t i = 0;
  while (i < length && text[i] != '\0') {
    int group[4];
    int n = 0;
    while (n < 4 && i < length) {
      int value = AlphabetValue(static_cast<unsigned char>(text[i++]));
      if (value >= 0) group[n++] = value;
    }
    EmitGroup(group, n, sink);
  }
  *length_inout = count;
  return all_written;
}

}  // namespace lite_installer
