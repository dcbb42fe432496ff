// k818r-image: inspects firmware image files with the flasher's own check and
// builds test images from raw block files.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/image/ImageBuilder.h"
#include "tools/image/StdioPlatform.h"
#include "update/ImageCheck.h"

namespace {

constexpr int kExitGood = 0;
constexpr int kExitBadImage = 1;
constexpr int kExitUsage = 2;

void PrintUsage() {
  std::fputs(
      "usage:\n"
      "  k818r-image inspect FILE\n"
      "  k818r-image build -o OUT [--scrambled] [--key N] [--selector N] [--alternate N]\n"
      "                    [--checksum N] [--count N] [--tag TEXT] BLOCKFILE...\n"
      "  k818r-image block -o OUT --length N [--seed N]\n"
      "Numbers may be decimal or 0x-prefixed hexadecimal. BLOCKFILEs hold the bytes\n"
      "sent to the drive; --scrambled stores them scrambled (each must start with 0x02).\n"
      "inspect exits with 0 for an image the flasher accepts, 1 otherwise.\n",
      stderr);
}

bool ParseNumber(const char* text, unsigned long limit, unsigned long& value) {
  if (text == nullptr || *text == '\0' || *text == '-') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoul(text, &end, 0);
  return errno == 0 && *end == '\0' && value <= limit;
}

bool ReadWholeFile(const char* name, image::Bytes& bytes) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteWholeFile(const std::string& name, const image::Bytes& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

void PrintTag(const ImageHeader& header) {
  std::fputs("model tag       \"", stdout);
  for (int i = 0; i < kModelTagLength; ++i) {
    const uint8_t c = header.bytes[i];
    if (c >= 0x20 && c < 0x7F) {
      std::putchar(c);
    } else {
      std::printf("\\x%02x", c);
    }
  }
  std::puts(image::HasModelTag(header) ? "\" (matches)" : "\" (does not match)");
}

int Inspect(const char* fileName) {
  StdioPlatform os;
  ImageHeader header;
  const image::CheckReport report = image::CheckImage(os, os, fileName, header);
  std::printf("file            %s\n", fileName);
  if (report.verdict == image::Verdict::kCannotOpen) {
    std::printf("verdict         rejected: %s\n", image::VerdictText(report.verdict));
    return kExitBadImage;
  }
  PrintTag(header);
  std::printf("checksum        0x%04x\n", header.Checksum());
  std::printf("selector        0x%02x (closing command carries the %s checksum)\n",
              header.ChecksumSelector(),
              header.ChecksumSelector() == kAlternateChecksumSelector ? "alternate" : "image");
  std::printf("alternate       0x%04x\n", header.AlternateChecksum());
  std::printf("scramble flag   0x%02x (%s)\n", header.ScrambleFlag(),
              header.ScrambleFlag() == kScrambledFlag ? "scrambled" : "plain");
  std::printf("block count     %u\n", header.BlockCount());
  const int listed = header.BlockCount() < kMaxImageBlocks ? header.BlockCount() : kMaxImageBlocks;
  for (int block = 0; block < listed; ++block) {
    std::printf("block %d         length %5u  ", block, header.BlockLength(block));
    if (block < report.blocksRead) {
      std::printf("sum 0x%04x\n", report.blockSums[block]);
    } else {
      std::puts("not read");
    }
  }
  if (report.blocksRead > 0) std::printf("sum of blocks   0x%04x\n", report.sum);
  if (report.verdict == image::Verdict::kGood) {
    std::puts("verdict         good");
    return kExitGood;
  }
  std::printf("verdict         rejected: %s\n", image::VerdictText(report.verdict));
  return kExitBadImage;
}

int Build(int argc, char** argv) {
  image::ImagePlan plan;
  std::string output;
  std::vector<const char*> blockFiles;
  for (int i = 0; i < argc; ++i) {
    const std::string option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    unsigned long number = 0;
    if (option == "--scrambled") {
      plan.scrambled = true;
      continue;
    }
    if (option == "-o" && value != nullptr) {
      output = value;
    } else if (option == "--tag" && value != nullptr) {
      plan.tag = value;
    } else if (option == "--key" && ParseNumber(value, 0xFF, number)) {
      plan.scrambleKey = static_cast<uint8_t>(number);
    } else if (option == "--selector" && ParseNumber(value, 0xFF, number)) {
      plan.checksumSelector = static_cast<uint8_t>(number);
    } else if (option == "--alternate" && ParseNumber(value, 0xFFFF, number)) {
      plan.alternateChecksum = static_cast<uint16_t>(number);
    } else if (option == "--checksum" && ParseNumber(value, 0xFFFF, number)) {
      plan.checksum = static_cast<uint16_t>(number);
    } else if (option == "--count" && ParseNumber(value, 0xFFFF, number)) {
      plan.blockCount = static_cast<uint16_t>(number);
    } else if (option.rfind("-", 0) == 0) {
      std::fprintf(stderr, "k818r-image: bad option or value: %s\n", option.c_str());
      return kExitUsage;
    } else {
      blockFiles.push_back(argv[i]);
      continue;
    }
    ++i;
  }
  if (output.empty()) {
    PrintUsage();
    return kExitUsage;
  }
  for (const char* name : blockFiles) {
    image::Bytes block;
    if (!ReadWholeFile(name, block)) {
      std::fprintf(stderr, "k818r-image: cannot read %s\n", name);
      return kExitUsage;
    }
    plan.blocks.push_back(std::move(block));
  }
  std::string error;
  const image::Bytes bytes = image::BuildImage(plan, &error);
  if (bytes.empty()) {
    std::fprintf(stderr, "k818r-image: %s\n", error.c_str());
    return kExitUsage;
  }
  if (!WriteWholeFile(output, bytes)) {
    std::fprintf(stderr, "k818r-image: cannot write %s\n", output.c_str());
    return kExitUsage;
  }
  return kExitGood;
}

int MakeBlock(int argc, char** argv) {
  std::string output;
  unsigned long length = 0;
  unsigned long seed = 1;
  for (int i = 0; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "-o") {
      output = argv[i + 1];
    } else if (!(option == "--length" && ParseNumber(argv[i + 1], 0xFFFF, length)) &&
               !(option == "--seed" && ParseNumber(argv[i + 1], 0xFFFFFFFF, seed))) {
      std::fprintf(stderr, "k818r-image: bad option or value: %s\n", option.c_str());
      return kExitUsage;
    }
  }
  if (output.empty() || length == 0 || argc % 2 != 0) {
    PrintUsage();
    return kExitUsage;
  }
  const image::Bytes block =
      image::PatternBlock(static_cast<uint32_t>(length), static_cast<uint32_t>(seed));
  if (!WriteWholeFile(output, block)) {
    std::fprintf(stderr, "k818r-image: cannot write %s\n", output.c_str());
    return kExitUsage;
  }
  return kExitGood;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "inspect") == 0 && argc == 3) return Inspect(argv[2]);
  if (argc >= 2 && std::strcmp(argv[1], "build") == 0) return Build(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "block") == 0) return MakeBlock(argc - 2, argv + 2);
  PrintUsage();
  return kExitUsage;
}
