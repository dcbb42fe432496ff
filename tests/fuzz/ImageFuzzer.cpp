// Arbitrary bytes as the image file: the image check must neither crash nor
// leak nor read past the file, and must agree with a plain recount.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/fuzz/MemoryFilePlatform.h"
#include "transport/Atapi.h"
#include "update/ImageCheck.h"

namespace {

// Independent recount of what the check should conclude.
bool ExpectedGood(const uint8_t* data, size_t size) {
  uint8_t header[kImageHeaderSize] = {};
  std::memcpy(header, data, size < sizeof header ? size : sizeof header);
  if (std::memcmp(header, "QUAV OD-K818S", 13) != 0) return false;
  const unsigned count = header[34] | (header[35] << 8);
  if (count < 1 || count > 8) return false;
  size_t offset = kImageHeaderSize;
  uint32_t sum = 0;
  for (unsigned block = 0; block < count; ++block) {
    const size_t length = header[36 + 2 * block] | (header[37 + 2 * block] << 8);
    if (length == 0 || size < offset || size - offset < length) return false;
    std::vector<uint8_t> bytes(data + offset, data + offset + length);
    bytes.resize((length + 7) / 8 * 8);
    if (header[25] == 1) CAtapi::Unscramble(bytes.data(), static_cast<uint32_t>(length), 1);
    for (size_t i = 0; i < length; ++i) sum += bytes[i];
    offset += length;
  }
  return static_cast<uint16_t>(sum) == (header[32] | (header[33] << 8));
}

void CheckUnscramble(const uint8_t* data, size_t size) {
  if (size == 0) return;
  // Room for the whole last group and not a byte more.
  const size_t rounded = (size + 7) / 8 * 8;
  auto* buffer = static_cast<uint8_t*>(std::malloc(rounded));
  std::memset(buffer, 0, rounded);
  std::memcpy(buffer, data, size);
  CAtapi::Unscramble(buffer, static_cast<uint32_t>(size), 0x100);  // low byte 0: no change
  if (std::memcmp(buffer, data, size) != 0) std::abort();
  CAtapi::Unscramble(buffer, static_cast<uint32_t>(size), 1);
  if (buffer[0] != 0x02) std::abort();
  std::free(buffer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFilePlatform os(data, size);
  CAtapi drive(os);
  const bool accepted = drive.CheckImageFile(kImageFileName);
  if (!os.Balanced()) std::abort();
  if (accepted != ExpectedGood(data, size)) std::abort();
  CheckUnscramble(data, size);
  return 0;
}
