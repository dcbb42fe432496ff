// Replays the committed corpus of the whole-update fuzz target without
// libFuzzer: every input must keep every promise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/UpdateFuzzCase.h"

namespace {

TEST(UpdateFuzzCorpus, EveryInputKeepsEveryPromise) {
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(UPDATE_CORPUS_DIR)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  ASSERT_GE(inputs.size(), 10u) << "the seed corpus is missing";
  for (const auto& path : inputs) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    std::string story;
    const std::vector<std::string> broken =
        updatefuzz::CheckOneUpdate(bytes.data(), bytes.size(), &story);
    // UPDATE_FUZZ_STORY=1 tells every run's story, e.g. of a crash file.
    if (std::getenv("UPDATE_FUZZ_STORY") != nullptr)
      std::printf("== %s\n%s", path.c_str(), story.c_str());
    EXPECT_TRUE(broken.empty()) << path.filename() << ": " << broken.front() << "\n" << story;
  }
}

}  // namespace
