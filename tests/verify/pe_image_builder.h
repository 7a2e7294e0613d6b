// Tests: small PE32 images with a resource section, built byte by byte, for
// the resource reader's host tables, its fuzz seeds and the comparison with
// the system's own loader under Wine. Portable.
//
// A resource is given by type, name and language; a type or name that is a
// string is stored as a named entry, one of the form "#N" as the id N.
// Options break the image in the ways the reader must withstand.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lite_installer {
namespace test_pe {

struct Resource {
  std::string type;
  std::string name;
  uint16_t language = 0;
  std::string data;
};

inline void Put16(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  if (b->size() < at + 2) b->resize(at + 2);
  (*b)[at] = static_cast<uint8_t>(v);
  (*b)[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void Put32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

inline bool IsId(const std::string& key) { return !key.empty() && key[0] == '#'; }
inline uint32_t IdOf(const std::string& key) {
  return static_cast<uint32_t>(std::stoul(key.substr(1)));
}

constexpr uint32_t kPeOffset = 0x80;
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kHeadersSize = 0x400;
constexpr uint32_t kDataDirectories = 16;
constexpr uint32_t kOptionalHeaderSize = 96 + 8 * kDataDirectories;

struct ImageBuilder {
  std::vector<Resource> resources;
  // The directory's named entries as listed (a careful writer sorts them).
  bool sort_entries = true;
  // Named entries are written in lower case (writers upcase them).
  bool lower_case_names = false;
  // A section before the resource section, so that its RVA must be mapped.
  uint32_t leading_section_size = 0x200;
  // Bytes after the last section (an appended payload, a signature).
  size_t tail = 0;

  std::vector<uint8_t> Build() const {
    std::vector<uint8_t> rsrc = ResourceSection();
    const uint32_t code_raw = Align(leading_section_size, kFileAlignment);
    const uint32_t rsrc_rva = kSectionAlignment + Align(leading_section_size, kSectionAlignment);
    RelocateDataEntries(&rsrc, rsrc_rva);
    const uint32_t rsrc_raw = Align(static_cast<uint32_t>(rsrc.size()), kFileAlignment);

    std::vector<uint8_t> image(kHeadersSize, 0);
    image[0] = 'M';
    image[1] = 'Z';
    Put32(&image, 0x3C, kPeOffset);
    image[kPeOffset] = 'P';
    image[kPeOffset + 1] = 'E';
    const uint32_t file_header = kPeOffset + 4;
    Put16(&image, file_header, 0x14C);  // i386
    Put16(&image, file_header + 2, 2);  // sections
    Put16(&image, file_header + 16, kOptionalHeaderSize);
    Put16(&image, file_header + 18, 0x2102);  // DLL, 32-bit, executable
    const uint32_t opt = file_header + 20;
    Put16(&image, opt, 0x10B);
    Put32(&image, opt + 28, 0x10000000);  // image base
    Put32(&image, opt + 32, kSectionAlignment);
    Put32(&image, opt + 36, kFileAlignment);
    Put16(&image, opt + 40, 4);  // OS version
    Put16(&image, opt + 48, 4);  // subsystem version
    Put32(&image, opt + 56, rsrc_rva + Align(static_cast<uint32_t>(rsrc.size()) + 1,
                                             kSectionAlignment));  // image size
    Put32(&image, opt + 60, kHeadersSize);
    Put16(&image, opt + 68, 2);  // GUI
    Put32(&image, opt + 72, 0x100000);
    Put32(&image, opt + 76, 0x1000);
    Put32(&image, opt + 80, 0x100000);
    Put32(&image, opt + 84, 0x1000);
    Put32(&image, opt + 92, kDataDirectories);
    Put32(&image, opt + 96 + 2 * 8, rsrc_rva);
    Put32(&image, opt + 96 + 2 * 8 + 4, static_cast<uint32_t>(rsrc.size()));
    const uint32_t sections = opt + kOptionalHeaderSize;
    Section(&image, sections, ".text", kSectionAlignment, leading_section_size, code_raw,
            kHeadersSize, 0x60000020);
    Section(&image, sections + 40, ".rsrc", rsrc_rva, static_cast<uint32_t>(rsrc.size()),
            rsrc_raw, kHeadersSize + code_raw, 0x40000040);

    image.resize(kHeadersSize + code_raw, 0xCC);
    image.insert(image.end(), rsrc.begin(), rsrc.end());
    image.resize(kHeadersSize + code_raw + rsrc_raw + tail, 0);
    return image;
  }

  std::string BuildText() const {
    std::vector<uint8_t> image = Build();
    return std::string(image.begin(), image.end());
  }

  // File offset of the resource section (its RVA is given by the header).
  uint32_t ResourceSectionOffset() const {
    return kHeadersSize + Align(leading_section_size, kFileAlignment);
  }

 private:
  static uint32_t Align(uint32_t v, uint32_t a) { return (v + a - 1) / a * a; }

  static void Section(std::vector<uint8_t>* image, uint32_t at, const char* name, uint32_t rva,
                      uint32_t virtual_size, uint32_t raw_size, uint32_t raw, uint32_t flags) {
    for (int i = 0; name[i]; ++i) (*image)[at + i] = static_cast<uint8_t>(name[i]);
    Put32(image, at + 8, virtual_size);
    Put32(image, at + 12, rva);
    Put32(image, at + 16, raw_size);
    Put32(image, at + 20, raw);
    Put32(image, at + 36, flags);
  }

  // One directory level: key → children (types → names → languages → data).
  struct Node {
    std::map<std::string, Node> named;
    std::map<uint32_t, Node> ids;
    const Resource* leaf = nullptr;
  };

  std::string Stored(const std::string& key) const {
    std::string s = key;
    for (char& c : s) {
      if (lower_case_names && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
  }

  std::vector<uint8_t> ResourceSection() const {
    Node root;
    for (const Resource& r : resources) {
      Node* type = IsId(r.type) ? &root.ids[IdOf(r.type)] : &root.named[r.type];
      Node* name = IsId(r.name) ? &type->ids[IdOf(r.name)] : &type->named[r.name];
      name->ids[r.language].leaf = &r;
    }
    std::vector<uint8_t> out;
    std::vector<std::pair<size_t, const Resource*>> leaves;
    std::vector<std::pair<size_t, std::string>> strings;
    WriteDirectory(root, &out, &leaves, &strings);
    for (auto& s : strings) {
      Put32(&out, s.first, 0x80000000u | static_cast<uint32_t>(out.size()));
      const std::string text = Stored(s.second);
      size_t at = out.size();
      Put16(&out, at, static_cast<uint32_t>(text.size()));
      for (size_t i = 0; i < text.size(); ++i) Put16(&out, at + 2 + 2 * i, uint8_t(text[i]));
    }
    while (out.size() % 4) out.push_back(0);
    std::vector<size_t> entries;
    for (auto& leaf : leaves) {
      Put32(&out, leaf.first, static_cast<uint32_t>(out.size()));
      entries.push_back(out.size());
      out.resize(out.size() + 16, 0);
    }
    for (size_t i = 0; i < leaves.size(); ++i) {
      // The data entry holds the section offset for now; Build makes it an RVA.
      Put32(&out, entries[i], static_cast<uint32_t>(out.size()));
      Put32(&out, entries[i] + 4, static_cast<uint32_t>(leaves[i].second->data.size()));
      out.insert(out.end(), leaves[i].second->data.begin(), leaves[i].second->data.end());
      while (out.size() % 8) out.push_back(0);
    }
    data_entries_ = entries;
    return out;
  }

  void WriteDirectory(const Node& node, std::vector<uint8_t>* out,
                      std::vector<std::pair<size_t, const Resource*>>* leaves,
                      std::vector<std::pair<size_t, std::string>>* strings) const {
    const size_t at = out->size();
    out->resize(at + 16 + 8 * (node.named.size() + node.ids.size()), 0);
    Put16(out, at + 12, static_cast<uint32_t>(node.named.size()));
    Put16(out, at + 14, static_cast<uint32_t>(node.ids.size()));
    std::vector<std::pair<std::string, const Node*>> named;
    for (auto& n : node.named) named.emplace_back(n.first, &n.second);
    if (!sort_entries) std::reverse(named.begin(), named.end());
    size_t entry = at + 16;
    std::vector<std::pair<size_t, const Node*>> children;
    for (auto& n : named) {
      strings->emplace_back(entry, n.first);
      children.emplace_back(entry + 4, n.second);
      entry += 8;
    }
    for (auto& n : node.ids) {
      Put32(out, entry, n.first);
      children.emplace_back(entry + 4, &n.second);
      entry += 8;
    }
    for (auto& child : children) {
      if (child.second->leaf) {
        leaves->emplace_back(child.first, child.second->leaf);
        continue;
      }
      Put32(out, child.first, 0x80000000u | static_cast<uint32_t>(out->size()));
      WriteDirectory(*child.second, out, leaves, strings);
    }
  }

  void RelocateDataEntries(std::vector<uint8_t>* rsrc, uint32_t rva) const {
    for (size_t at : data_entries_) {
      uint32_t offset = (*rsrc)[at] | ((*rsrc)[at + 1] << 8) | ((*rsrc)[at + 2] << 16) |
                        (uint32_t((*rsrc)[at + 3]) << 24);
      Put32(rsrc, at, offset + rva);
    }
  }

  mutable std::vector<size_t> data_entries_;
};

}  // namespace test_pe
}  // namespace lite_installer
