// Every input of the committed corpora through the fuzz targets' checks: a
// violation aborts with the run's story, so a failing input names itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/DeviceCheckRun.h"
#include "tests/fuzz/LauncherRun.h"

namespace {

using Check = void (*)(const uint8_t*, size_t);

size_t Replay(const std::string& corpus, Check check) {
  size_t inputs = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(CORPUS_DIR) + "/" + corpus)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().filename().string());
    check(bytes.data(), bytes.size());
    ++inputs;
  }
  return inputs;
}

TEST(FuzzCorpus, LauncherRunsKeepTheirInvariants) {
  EXPECT_GT(Replay("launcher", fuzz::CheckLauncherRun), 0u);
}

TEST(FuzzCorpus, DeviceChecksKeepTheirInvariants) {
  EXPECT_GT(Replay("device-check", fuzz::CheckDeviceCheckRun), 0u);
}

}  // namespace
