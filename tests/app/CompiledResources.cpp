#include "tests/app/CompiledResources.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace compiled_resources {

uint16_t Word(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t Dword(const std::vector<uint8_t>& bytes, size_t at) {
  return Word(bytes, at) | (static_cast<uint32_t>(Word(bytes, at + 2)) << 16);
}

std::u16string Utf16(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) code = (code << 6) | (utf8[i + k] & 0x3F);
    out += static_cast<char16_t>(code);  // the flasher's texts stay in the basic plane
    i += length;
  }
  return out;
}

namespace {

// Every resource with a numeric id, its type an ordinal or a name.
std::vector<Resource> Parse(const std::vector<uint8_t>& res) {
  std::vector<Resource> resources;
  size_t at = 0;
  while (at + 8 <= res.size()) {
    const uint32_t dataSize = Dword(res, at);
    const uint32_t headerSize = Dword(res, at + 4);
    size_t field = at + 8;
    Resource resource{0, "", 0, 0, {}};
    if (Word(res, field) == 0xFFFF) {
      resource.type = Word(res, field + 2);
      field += 4;
    } else {
      for (; Word(res, field) != 0; field += 2) {
        resource.typeName += static_cast<char>(Word(res, field));
      }
      field = (field + 2 + 3) & ~size_t{3};
    }
    if (Word(res, field) == 0xFFFF) {
      resource.id = Word(res, field + 2);
      field = (field + 4 + 3) & ~size_t{3};
      resource.language = Word(res, field + 4 + 2);  // after DataVersion and MemoryFlags
      const auto begin = res.begin() + static_cast<long>(at + headerSize);
      resource.data.assign(begin, begin + dataSize);
      resources.push_back(resource);
    }
    at += headerSize + ((dataSize + 3) & ~3u);
  }
  return resources;
}

std::vector<Resource> Compile() {
  const std::string output = std::string(TEST_WORK_DIR) + "/Flash-test.res";
  const std::string command = std::string(WINDRES) + " -O res -I " + APP_BINARY_DIR + " -I " +
                              SOURCE_DIR + " " + FLASH_RC + " -o " + output;
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream file(output, std::ios::binary);
  return Parse(std::vector<uint8_t>((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>()));
}

}  // namespace

const std::vector<Resource>& FlasherResources() {
  static const std::vector<Resource> resources = Compile();
  return resources;
}

}  // namespace compiled_resources
