// The string table the Windows build compiles from the catalogue's data
// file: the resource compiler must see the very texts the host tests see,
// all under language 1041.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/CatalogueTexts.h"

namespace {

constexpr uint16_t kRtString = 6;
constexpr uint16_t kJapanese = 0x0411;

std::u16string Utf16(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) code = (code << 6) | (utf8[i + k] & 0x3F);
    out += static_cast<char16_t>(code);  // the catalogue stays in the basic plane
    i += length;
  }
  return out;
}

struct StringResource {
  uint16_t block;
  uint16_t language;
  std::vector<uint8_t> data;
};

uint16_t Word(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t Dword(const std::vector<uint8_t>& bytes, size_t at) {
  return Word(bytes, at) | (static_cast<uint32_t>(Word(bytes, at + 2)) << 16);
}

// The string blocks of a .res file; every other resource is skipped.
std::vector<StringResource> StringBlocks(const std::vector<uint8_t>& res) {
  std::vector<StringResource> blocks;
  size_t at = 0;
  while (at + 8 <= res.size()) {
    const uint32_t dataSize = Dword(res, at);
    const uint32_t headerSize = Dword(res, at + 4);
    const size_t header = at + 8;
    // Type and name are numeric (0xFFFF, id) for everything we look at.
    const bool numericType = Word(res, header) == 0xFFFF;
    const uint16_t type = numericType ? Word(res, header + 2) : 0;
    if (numericType && type == kRtString && Word(res, header + 4) == 0xFFFF) {
      const uint16_t block = Word(res, header + 6);
      const uint16_t language = Word(res, header + 8 + 4 + 2);
      const auto begin = res.begin() + static_cast<long>(at + headerSize);
      blocks.push_back({block, language, std::vector<uint8_t>(begin, begin + dataSize)});
    }
    at += headerSize + ((dataSize + 3) & ~3u);
  }
  return blocks;
}

TEST(StringTableResource, HoldsTheCatalogueTextsUnderJapanese) {
  const std::string output = std::string(TEST_WORK_DIR) + "/Flash-test.res";
  const std::string command = std::string(WINDRES) + " -O res -I " + APP_BINARY_DIR + " -I " +
                              SOURCE_DIR + " " + FLASH_RC + " -o " + output;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream file(output, std::ios::binary);
  const std::vector<uint8_t> res((std::istreambuf_iterator<char>(file)),
                                 std::istreambuf_iterator<char>());

  std::map<unsigned, std::u16string> compiled;
  for (const StringResource& block : StringBlocks(res)) {
    EXPECT_EQ(block.language, kJapanese) << "block " << block.block;
    size_t at = 0;
    for (unsigned slot = 0; slot < 16 && at + 2 <= block.data.size(); ++slot) {
      const uint16_t length = Word(block.data, at);
      std::u16string text;
      for (uint16_t k = 0; k < length; ++k) {
        text += static_cast<char16_t>(Word(block.data, at + 2 + 2u * k));
      }
      if (length != 0) compiled[(block.block - 1u) * 16 + slot] = text;
      at += 2 + 2u * length;
    }
  }

  size_t withText = 0;
  for (const CatalogueText& entry : CatalogueTexts()) {
    const std::u16string expected = Utf16(entry.text);
    if (expected.empty()) {
      EXPECT_EQ(compiled.count(entry.id), 0u) << entry.id;
      continue;
    }
    ++withText;
    EXPECT_TRUE(compiled[entry.id] == expected) << "text " << entry.id << " differs";
  }
  EXPECT_EQ(compiled.size(), withText);
}

}  // namespace
