#include <cstring>

#include "transport/Atapi.h"
#include "update/EngineTrace.h"

namespace {

constexpr uint32_t kBankEnd = 0x10000;
constexpr uint32_t kShortBankEnd = 0xF000;  // banks 1 and 2

struct ReadBack {
  bool complete = true;
  uint32_t failedBank = 0;
  uint32_t failedAddress = 0;
  uint16_t sum = 0;
};

ReadBack SumBanks(CAtapi& drive, uint32_t bankCount) {
  ReadBack result;
  uint32_t sum = 0;
  for (uint32_t bank = 0; bank < bankCount; ++bank) {
    const uint32_t end = (bank == 1 || bank == 2) ? kShortBankEnd : kBankEnd;
    for (uint32_t address = 0; address < end; address += kFlashPageSize) {
      uint8_t page[kFlashPageSize];
      std::memset(page, 0, sizeof page);
      if (drive.ReadFlashPage(page, bank, address) != aspi::SS_COMP) {
        result.complete = false;
        result.failedBank = bank;
        result.failedAddress = address;
        return result;
      }
      for (uint8_t byte : page) sum += byte;
    }
  }
  result.sum = static_cast<uint16_t>(sum);
  return result;
}

}  // namespace

uint16_t CAtapi::SumFlashContents() {
  const ReadBack readBack = SumBanks(*this, image_.BlockCount());
  return readBack.complete ? readBack.sum : 0;
}

// A read-back that did not finish never counts as a match, even against a
// checksum of 0.
bool CAtapi::VerifyFlash() {
  const ReadBack readBack = SumBanks(*this, image_.BlockCount());
  if (!readBack.complete) {
    TraceFormatted(*this, "Err:Flash read back failed;Bank:%x;Address:%x;", readBack.failedBank,
                   readBack.failedAddress);
    return false;
  }
  if (readBack.sum == image_.Checksum()) return true;
  EngineTrace(
      "Found CHECKSUM ERR.\n\nNotice:\n  1. Perhaps DMA mode is turned on. Please use PIO mode.\n"
      "  2. Check you have a correct firmware file please.\n"
      "  3. Make sure all application have been closed.\n");
  return false;
}
