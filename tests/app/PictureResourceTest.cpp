// The program's pictures and licence texts as the resource compiler stores
// them: kind, size, colour depth, language.
#include <gtest/gtest.h>

#include "app/ResourceIds.h"
#include "tests/app/CompiledResources.h"
#include "tests/app/FlasherPc.h"

namespace {

using compiled_resources::Dword;
using compiled_resources::Resource;
using compiled_resources::Word;

constexpr uint16_t kRtIcon = 3;
constexpr uint16_t kRtBitmap = 2;
constexpr uint16_t kRtGroupIcon = 14;
constexpr uint16_t kRtVersion = 16;
constexpr uint16_t kRtManifest = 24;

const Resource* Find(uint16_t type, uint16_t id) {
  for (const Resource& resource : compiled_resources::FlasherResources()) {
    if (resource.type == type && resource.typeName.empty() && resource.id == id) return &resource;
  }
  return nullptr;
}

TEST(PictureResources, BannersAreEightBitBitmapsOfTheirSizes) {
  const struct {
    uint16_t id;
    int width;
    int height;
  } banners[] = {{IDB_BANNER_SMALL, 255, 29}, {IDB_BANNER_LARGE, 320, 33}};
  for (const auto& banner : banners) {
    const Resource* bitmap = Find(kRtBitmap, banner.id);
    ASSERT_NE(bitmap, nullptr) << banner.id;
    EXPECT_EQ(static_cast<int32_t>(Dword(bitmap->data, 4)), banner.width);
    EXPECT_EQ(static_cast<int32_t>(Dword(bitmap->data, 8)), banner.height);
    EXPECT_EQ(Word(bitmap->data, 14), 8) << "bits per pixel";
  }
}

TEST(PictureResources, IconHasBigAndSmallSixteenColourImages) {
  const Resource* group = Find(kRtGroupIcon, IDI_PROGRAM);
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(Word(group->data, 4), 2);  // images
  for (size_t entry = 0; entry < 2; ++entry) {
    const size_t at = 6 + 14 * entry;
    const int size = group->data[at];
    EXPECT_TRUE(size == 32 || size == 16) << size;
    EXPECT_EQ(group->data[at + 2], 16) << "colours";
    const Resource* image = Find(kRtIcon, Word(group->data, at + 12));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(static_cast<int>(Dword(image->data, 4)), size);
    EXPECT_EQ(Word(image->data, 14), 4) << "bits per pixel";
  }
  EXPECT_NE(group->data[6], group->data[6 + 14]);
}

TEST(PictureResources, LicenceTextsInTheirLanguagesWithoutTerminatingZero) {
  const struct {
    uint16_t id;
    uint16_t language;
    const char* file;
    size_t size;
  } licences[] = {{IDR_LICENSE_ENGLISH, 0x0409, "License-en.txt", 4677},
                  {IDR_LICENSE_JAPANESE, 0x0411, "License-ja.txt", 4235}};
  for (const auto& licence : licences) {
    const Resource* found = nullptr;
    for (const Resource& resource : compiled_resources::FlasherResources()) {
      if (resource.typeName == "LICENSE" && resource.id == licence.id) found = &resource;
    }
    ASSERT_NE(found, nullptr) << licence.id;
    EXPECT_EQ(found->language, licence.language);
    EXPECT_EQ(found->data.size(), licence.size);
    const std::string bytes = flasher_pc::ResourceFile(licence.file);
    EXPECT_EQ(std::string(found->data.begin(), found->data.end()), bytes);
  }
}

TEST(PictureResources, VersionAndManifestArePresent) {
  EXPECT_NE(Find(kRtVersion, 1), nullptr);
  const Resource* manifest = Find(kRtManifest, 1);
  ASSERT_NE(manifest, nullptr);
  const std::string text(manifest->data.begin(), manifest->data.end());
  EXPECT_NE(text.find("urn:schemas-microsoft-com:asm.v2"), std::string::npos);
  EXPECT_EQ(text.find("asm.v3"), std::string::npos);
  EXPECT_NE(text.find("requireAdministrator"), std::string::npos);
}

}  // namespace
