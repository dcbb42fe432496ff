#include "tests/app/FlasherPc.h"

#include <fstream>
#include <iterator>

#include "app/CatalogueTexts.h"
#include "app/ResourceIds.h"

namespace flasher_pc {

std::string ResourceFile(const std::string& name) {
  std::ifstream file(std::string(APP_RESOURCE_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void InstallFlasherResources(sim::SimPc& pc) {
  for (const CatalogueText& entry : CatalogueTexts()) {
    if (entry.text[0] != '\0') pc.Program().SetText(entry.id, entry.text);
  }
  for (const auto& [id, name] :
       {std::pair<unsigned, const char*>{IDR_LICENSE_ENGLISH, "License-en.txt"},
        {IDR_LICENSE_JAPANESE, "License-ja.txt"}}) {
    const std::string bytes = ResourceFile(name);
    pc.Program().SetResource("LICENSE", id, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
}

void AddHarmlessDeviceTree(sim::SimPc& pc) {
  const std::string node = "HKDD\\Config Manager\\Enum\\C29A3B10";
  pc.Registry().AddKey(node);
  pc.Registry().SetString(node, "HardWareKey", "ESDI\\GENERIC_IDE__DISK_TYPE47_\\MF&CHILD0000&PCI");
}

}  // namespace flasher_pc
