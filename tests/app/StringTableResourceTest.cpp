// The string table the Windows build compiles from the catalogue's data
// file: the resource compiler must see the very texts the host tests see,
// all under language 1041.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/CatalogueTexts.h"
#include "tests/app/CompiledResources.h"

namespace {

using compiled_resources::Word;

constexpr uint16_t kRtString = 6;
constexpr uint16_t kJapanese = 0x0411;

TEST(StringTableResource, HoldsTheCatalogueTextsUnderJapanese) {
  const auto& resources = compiled_resources::FlasherResources();
  ASSERT_FALSE(resources.empty()) << "the resource script did not compile";

  std::map<unsigned, std::u16string> compiled;
  for (const auto& block : resources) {
    if (block.type != kRtString) continue;
    EXPECT_EQ(block.language, kJapanese) << "block " << block.id;
    size_t at = 0;
    for (unsigned slot = 0; slot < 16 && at + 2 <= block.data.size(); ++slot) {
      const uint16_t length = Word(block.data, at);
      std::u16string text;
      for (uint16_t k = 0; k < length; ++k) {
        text += static_cast<char16_t>(Word(block.data, at + 2 + 2u * k));
      }
      if (length != 0) compiled[(block.id - 1u) * 16 + slot] = text;
      at += 2 + 2u * length;
    }
  }

  size_t withText = 0;
  for (const CatalogueText& entry : CatalogueTexts()) {
    const std::u16string expected = compiled_resources::Utf16(entry.text);
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
