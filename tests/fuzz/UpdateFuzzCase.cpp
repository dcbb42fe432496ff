#include "tests/fuzz/UpdateFuzzCase.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "app/CatalogueTexts.h"
#include "app/MessageCatalogue.h"
#include "app/ProgressSchedule.h"
#include "app/ProgressWindow.h"
#include "app/UpdateOutcome.h"
#include "platform/AspiRecords.h"
#include "sim/K818rDrive.h"
#include "sim/SimPc.h"
#include "tools/image/ImageBuilder.h"
#include "transport/Atapi.h"

namespace updatefuzz {

namespace {

constexpr uint64_t kSecondUs = 1'000'000;
constexpr uint32_t kPositionRange = 1100;  // beyond a 4-block read-back
constexpr uint64_t kPollLatencyUs = 100'000;
constexpr size_t kMaxMisbehaviours = 63;

// What the rules let the run take, in virtual time: the 2-s pause, the 61-s
// wait after the closing command on ASPI, the 20-s pause after a retry, a
// polling that gives up once more than 120 whole seconds have passed, and at
// most 60 s for any one command (the pass-through port's time-out; ASPI
// aborts after 30 s).
constexpr uint64_t kFixedWaitsUs = (2 + 61 + 20 + 121) * kSecondUs;
constexpr uint64_t kLongestCommandUs = 60 * kSecondUs;
constexpr uint64_t kLongestPollPassUs = 3 * kLongestCommandUs;

enum class Transport { kAspiSync, kAspiPending, kPassThrough };

enum class ImageVariant {
  kGood,
  kAlternateChecksum,  // selector 0x10: the closing command carries another sum
  kWrongTag,
  kWrongChecksum,
  kNoBlocks,
  kNineBlocks,
  kTruncated,
  kShortHeader,
  kMissing,
  kCount
};

enum class Behaviour {
  kSense,          // CHECK CONDITION, key and ASC from the parameter
  kBusy,           // status 0x08
  kOtherStatus,    // any other status byte
  kHostAdapter,    // ASPI SS_ERR with SRB_HaStat, no sense; pass-through 1117
  kAborted,        // ASPI SS_ABORTED; pass-through 1117
  kOffBus,         // ASPI SS_NO_DEVICE; pass-through 55 or 21
  kCallError,      // pass-through DeviceIoControl error; ASPI SS_ERR
  kShortTransfer,  // fewer bytes than asked, status good
  kFlipBits,       // one byte of the data phase altered, status good
  kDropWrite,      // status good, nothing stored
  kNever,          // never completes (ASPI) / beyond the port's time-out
  kLate,           // completes after the parameter times 500 ms
  kCount
};

const uint8_t kSenseKeys[] = {0x00, 0x02, 0x05, 0x06, 0x03, 0x04, 0x0B, 0x25};
const uint8_t kSenseCodes[][2] = {{0x04, 0x01}, {0x3A, 0x00}, {0x1A, 0x00}, {0x24, 0x00},
                                  {0x29, 0x00}, {0x0C, 0x00}, {0x00, 0x00}, {0x47, 0x00}};
const uint32_t kCallErrors[] = {5, 21, 55, 121, 1117, 6, 87, 31};
const uint8_t kOtherStatuses[] = {0x04, 0x10, 0x18, 0x22, 0x28, 0x40, 0x01, 0xFF};

struct Choice {
  Transport transport = Transport::kPassThrough;
  int blocks = 1;
  ImageVariant variant = ImageVariant::kGood;
  bool scrambled = false;
  Language language = Language::kEnglish;
  std::string typeCode = "WM";
  bool neverReady = false, noDisc = false, sameSum = false, corrupt = false;
  bool restartRefused = false, attention = false;
  uint64_t offBusUs = 0;
  uint32_t offBusError = 55;
  uint64_t notReadyUs = 0;
  struct Misbehaviour {
    uint32_t position;  // 0-based, from the first command of the update
    Behaviour behaviour;
    uint8_t parameter;
  };
  std::vector<Misbehaviour> commands;
};

Choice Decode(const uint8_t* data, size_t size) {
  Choice choice;
  auto at = [&](size_t i) -> uint8_t { return i < size ? data[i] : 0; };
  choice.transport = static_cast<Transport>(at(0) % 3);
  static const int kBlocks[] = {1, 1, 2, 4};
  choice.blocks = kBlocks[at(1) & 3];
  choice.variant =
      static_cast<ImageVariant>(((at(1) >> 2) & 0x0F) % static_cast<int>(ImageVariant::kCount));
  choice.scrambled = (at(1) & 0x40) != 0;
  choice.language = (at(1) & 0x80) != 0 ? Language::kJapanese : Language::kEnglish;
  static const char* const kTypes[] = {"WM", "W0", "XY", "WM"};
  choice.typeCode = kTypes[at(2) & 3];
  choice.neverReady = (at(2) & 0x04) != 0;
  choice.noDisc = (at(2) & 0x08) != 0;
  choice.sameSum = (at(2) & 0x10) != 0;
  choice.corrupt = (at(2) & 0x20) != 0;
  choice.restartRefused = (at(2) & 0x40) != 0;
  choice.attention = (at(2) & 0x80) != 0;
  const unsigned offBus = at(3) & 0x0F;
  choice.offBusUs = (offBus == 15 ? 400 : offBus) * kSecondUs;
  choice.offBusError = (at(3) & 0x10) != 0 ? 21 : 55;
  choice.notReadyUs = static_cast<uint64_t>((at(3) >> 5) & 7) * 3 * kSecondUs;
  // More misbehaving commands than this add nothing a shorter input cannot
  // reach, and each costs every command of the run a look.
  const size_t end = std::min(size, 4 + kMaxMisbehaviours * 4);
  for (size_t i = 4; i + 4 <= end; i += 4) {
    Choice::Misbehaviour misbehaviour;
    misbehaviour.position = ((uint32_t{data[i]} << 8) | data[i + 1]) % kPositionRange;
    misbehaviour.behaviour =
        static_cast<Behaviour>(data[i + 2] % static_cast<int>(Behaviour::kCount));
    misbehaviour.parameter = data[i + 3];
    choice.commands.push_back(misbehaviour);
  }
  return choice;
}

image::Bytes MakeImage(const Choice& choice) {
  image::ImagePlan plan;
  for (int block = 0; block < choice.blocks; ++block) {
    plan.blocks.push_back(image::PatternBlock(static_cast<uint32_t>(40 + 57 * block),
                                              static_cast<uint32_t>(block + 3)));
  }
  plan.scrambled = choice.scrambled;
  switch (choice.variant) {
    case ImageVariant::kAlternateChecksum:
      plan.checksumSelector = 0x10;
      plan.alternateChecksum = 0x1234;
      break;
    case ImageVariant::kWrongTag:
      plan.tag = "QUAV OD-K818R";
      break;
    case ImageVariant::kWrongChecksum:
      plan.checksum = static_cast<uint16_t>(image::SumOfBlocks(plan.blocks) + 1);
      break;
    case ImageVariant::kNoBlocks:
      plan.blockCount = 0;
      break;
    case ImageVariant::kNineBlocks:
      plan.blockCount = 9;
      break;
    default:
      break;
  }
  std::string error;
  image::Bytes bytes = image::BuildImage(plan, &error);
  if (choice.variant == ImageVariant::kTruncated && bytes.size() > 70)
    bytes.resize(bytes.size() - 5);
  if (choice.variant == ImageVariant::kShortHeader && bytes.size() > 40) bytes.resize(40);
  return bytes;
}

uint16_t Le16(const image::Bytes& bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// A recount of the image check, from the file's bytes alone.
bool ImageAcceptable(const image::Bytes& bytes) {
  if (bytes.size() < 64 || std::memcmp(bytes.data(), "QUAV OD-K818S", 13) != 0) return false;
  const unsigned count = Le16(bytes, 34);
  if (count < 1 || count > 8) return false;
  size_t offset = 64;
  uint32_t sum = 0;
  for (unsigned block = 0; block < count; ++block) {
    const size_t length = Le16(bytes, 36 + 2 * block);
    if (length == 0 || bytes.size() - offset < length) return false;
    std::vector<uint8_t> plain(bytes.begin() + static_cast<long>(offset),
                               bytes.begin() + static_cast<long>(offset + length));
    plain.resize((length + 7) / 8 * 8);
    if (bytes[25] == 1) CAtapi::Unscramble(plain.data(), static_cast<uint32_t>(length), 1);
    for (size_t i = 0; i < length; ++i) sum += plain[i];
    offset += length;
  }
  return static_cast<uint16_t>(sum) == Le16(bytes, 32);
}

sim::Fault FaultFor(const Choice::Misbehaviour& m, int position, bool passThrough) {
  using sim::CommandKind;
  using sim::Fault;
  const uint8_t p = m.parameter;
  Fault fault;
  switch (m.behaviour) {
    case Behaviour::kSense:
      fault = Fault::Sense(CommandKind::kAny, 1, kSenseKeys[p & 7], kSenseCodes[(p >> 3) & 7][0],
                           kSenseCodes[(p >> 3) & 7][1]);
      break;
    case Behaviour::kBusy:
      fault = Fault::Status(CommandKind::kAny, 1, sim::kStatusBusy);
      break;
    case Behaviour::kOtherStatus:
      fault = Fault::Status(CommandKind::kAny, 1, kOtherStatuses[p & 7]);
      break;
    case Behaviour::kHostAdapter:
      fault =
          Fault::HostAdapterError(CommandKind::kAny, 1, static_cast<uint8_t>(0x09 + (p & 0x0F)));
      break;
    case Behaviour::kAborted:
      fault = Fault::Aborted(CommandKind::kAny, 1);
      break;
    case Behaviour::kOffBus:
      fault = Fault::OffBus(CommandKind::kAny, 1, (p & 1) != 0 ? 21 : 55);
      break;
    case Behaviour::kCallError:
      fault = Fault::TransportError(CommandKind::kAny, 1, kCallErrors[p & 7]);
      break;
    case Behaviour::kShortTransfer:
      fault = Fault::ShortTransfer(CommandKind::kAny, 1, p);
      break;
    case Behaviour::kFlipBits:
      fault = Fault::FlipBits(CommandKind::kAny, 1, p, static_cast<uint8_t>(1u << (p % 8)));
      break;
    case Behaviour::kDropWrite:
      fault.action = sim::FaultAction::kDropWrite;
      break;
    case Behaviour::kNever:
      // The port gives up on a command after its 60 s.
      fault = passThrough ? Fault::Slow(CommandKind::kAny, 1, 61 * kSecondUs)
                          : Fault::CompleteAs(CommandKind::kAny, 1, sim::Completion::kNever);
      break;
    case Behaviour::kLate:
      fault = Fault::Slow(CommandKind::kAny, 1, uint64_t{p} * 500'000);
      break;
    case Behaviour::kCount:
      break;
  }
  return fault.AtPosition(position);
}

class QuietProgressWindow : public ProgressWindow {
 public:
  explicit QuietProgressWindow(sim::SimPc& pc) : ProgressWindow(pc, "FlashK818R.INI"), pc_(pc) {}
  void PeekAndPump(bool) override { pc_.PumpOneMessage(); }

 protected:
  bool OpenWindow(const std::string&, bool) override { return true; }
  void ShowRange(int, int, int) override {}
  void ShowPosition(int) override {}
  void ShowCaption(const std::string&) override {}
  void ShowText(const std::string&) override {}
  void HideWindow() override {}
  bool ScreenPosition(int* left, int* top) override {
    *left = 10;
    *top = 20;
    return true;
  }
  void RemoveWindow() override {}

 private:
  sim::SimPc& pc_;
};

class RecordingDisplay : public OutcomeDisplay {
 public:
  void ShowPage(const std::string& text, bool exitEnabled) override {
    pageText = text;
    exit = exitEnabled;
    ++pages;
  }
  void ShowBox(const std::string& text) override { boxes.push_back(text); }

  std::string pageText;
  bool exit = false;
  int pages = 0;
  std::vector<std::string> boxes;
};

// What the flasher saw of one command, by the transports' rules.
struct HostView {
  bool good = false;        // status byte 1
  bool callFailed = false;  // pass-through: DeviceIoControl failed
  uint8_t key = 0, asc = 0, ascq = 0;
};

std::vector<HostView> HostViews(const sim::CommandRecord* commands, size_t count,
                                const std::vector<sim::AbortRecord>& aborts, bool passThrough) {
  std::set<size_t> aborted;
  for (const sim::AbortRecord& abort : aborts) {
    for (size_t i = count; i-- > 0;) {
      if (commands[i].timeUs < abort.timeUs) {
        aborted.insert(i);
        break;
      }
    }
  }
  std::vector<HostView> views;
  uint8_t key = 0, asc = 0, ascq = 0;  // ASPI keeps the last sense it was given
  views.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const sim::CommandRecord& record = commands[i];
    const bool check = record.status == sim::kStatusCheckCondition;
    HostView view;
    if (passThrough) {
      view.callFailed = record.transportFailed;
      if (record.transportFailed) {
        view.good = record.transportError == 121 || record.transportError == 1117;
      } else {
        view.good = record.status == sim::kStatusGood;
        if (check) {
          view.key = record.senseKey;
          view.asc = record.asc;
          view.ascq = record.ascq;
        }
      }
    } else {
      const bool completed = aborted.count(i) == 0 && !record.transportFailed;
      view.good = completed && record.status == sim::kStatusGood;
      if (completed && check) {
        key = record.senseKey;
        asc = record.asc;
        ascq = record.ascq;
      }
      view.key = key;
      view.asc = asc;
      view.ascq = ascq;
    }
    views.push_back(view);
  }
  return views;
}

std::string Hex(const uint8_t* bytes, size_t count) {
  std::string text;
  char part[4];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(part, sizeof part, "%02X", bytes[i]);
    text += part;
  }
  return text;
}

const char* const kBehaviourNames[] = {"sense", "busy",  "status", "hastat", "aborted", "offbus",
                                       "error", "short", "flip",   "drop",   "never",   "late"};

std::string Story(const Choice& choice, const image::Bytes& imageBytes, sim::SimPc& pc,
                  size_t firstCommand, uint8_t result) {
  std::string story;
  char line[256];
  static const char* const kTransports[] = {"ASPI (at once)", "ASPI (later)", "pass-through"};
  std::snprintf(line, sizeof line,
                "transport %s; image %d blocks variant %d%s (%zu bytes); type %s; neverready %d "
                "nodisc %d samesum %d corrupt %d refused %d attention %d; off bus %llu ms "
                "error %u; not ready %llu ms\n",
                kTransports[static_cast<int>(choice.transport)], choice.blocks,
                static_cast<int>(choice.variant), choice.scrambled ? " scrambled" : "",
                imageBytes.size(), choice.typeCode.c_str(), choice.neverReady, choice.noDisc,
                choice.sameSum, choice.corrupt, choice.restartRefused, choice.attention,
                static_cast<unsigned long long>(choice.offBusUs / 1000), choice.offBusError,
                static_cast<unsigned long long>(choice.notReadyUs / 1000));
  story += line;
  for (const auto& m : choice.commands) {
    std::snprintf(line, sizeof line, "  command %u: %s %u\n", m.position,
                  kBehaviourNames[static_cast<int>(m.behaviour)], m.parameter);
    story += line;
  }
  const auto& commands = pc.Log().Commands();
  for (size_t i = firstCommand; i < commands.size(); ++i) {
    const sim::CommandRecord& r = commands[i];
    std::snprintf(line, sizeof line,
                  "%5zu %10.3f s %-8s %s status %02X sense %02X/%02X/%02X%s%u moved %u sum %u\n",
                  i - firstCommand, static_cast<double>(r.timeUs) / 1e6,
                  sim::CommandKindName(sim::ClassifyCommand(r.cdb)), Hex(r.cdb.data(), 12).c_str(),
                  r.status, r.senseKey, r.asc, r.ascq, r.transportFailed ? " FAILED error " : " ",
                  r.transportFailed ? r.transportError : 0u, r.transferred, r.dataSum);
    story += line;
  }
  for (const sim::AbortRecord& abort : pc.Log().Aborts()) {
    std::snprintf(line, sizeof line, "abort at %.3f s (pending %d)\n",
                  static_cast<double>(abort.timeUs) / 1e6, abort.foundPending);
    story += line;
  }
  for (const std::string& trace : pc.Traces()) story += "trace: " + trace + "\n";
  for (const auto& box : pc.MessageBoxes()) story += "box: " + box.text + "\n";
  std::snprintf(line, sizeof line, "result %02X at %.3f s, restarts %zu\n", result,
                static_cast<double>(pc.Clock().NowUs()) / 1e6, pc.ExitWindowsCalls().size());
  story += line;
  return story;
}

// The pages a read-back of `blocks` banks reads, in order.
std::vector<std::pair<uint8_t, uint16_t>> ReadBackPages(int blocks) {
  std::vector<std::pair<uint8_t, uint16_t>> pages;
  for (int bank = 0; bank < blocks; ++bank) {
    const uint32_t end = (bank == 1 || bank == 2) ? 0xF000 : 0x10000;
    for (uint32_t address = 0; address < end; address += 0x100) {
      pages.emplace_back(static_cast<uint8_t>(bank), static_cast<uint16_t>(address));
    }
  }
  return pages;
}

}  // namespace

std::vector<std::string> CheckOneUpdate(const uint8_t* data, size_t size, std::string* story) {
  const Choice choice = Decode(data, size);
  const image::Bytes imageBytes = MakeImage(choice);
  const bool passThrough = choice.transport == Transport::kPassThrough;

  sim::SimPc pc(passThrough ? sim::WindowsVersion::kWinXp : sim::WindowsVersion::kWin98);
  for (const CatalogueText& entry : CatalogueTexts()) {
    if (entry.text[0] != '\0') pc.Program().SetText(entry.id, entry.text);
  }
  auto drive = std::make_shared<sim::K818rDrive>();
  sim::K818rConfig& config = drive->Config();
  config.typeCode = choice.typeCode;
  config.discPresent = true;
  config.notReadyAfterCommitUs = choice.offBusUs + choice.notReadyUs;
  config.offBusAfterCommitUs = choice.offBusUs;
  config.offBusError = choice.offBusError;
  config.unitAttentionOnReturn = choice.attention;
  if (choice.neverReady) drive->AddFault(sim::Fault::NeverReady());
  if (choice.noDisc) drive->AddFault(sim::Fault::NoDisc());
  if (choice.sameSum) drive->AddFault(sim::Fault::SameSum(0, 0x10));
  if (choice.corrupt) drive->AddFault(sim::Fault::CorruptBank(0, 0x20, 0x04));
  // Polls cost time, so a drive that never comes back is given up on in
  // some hundreds of commands rather than a hundred thousand.
  drive->AddFault(sim::Fault::Slow(sim::CommandKind::kTestUnitReady, 1, kPollLatencyUs).Every());
  pc.AttachDrive(drive, choice.transport == Transport::kAspiPending
                            ? sim::Completion::kPending
                            : sim::Completion::kSynchronous);
  if (choice.variant != ImageVariant::kMissing) pc.AddFile(kImageFileName, imageBytes);
  pc.SetExitWindowsResult(!choice.restartRefused);

  std::vector<std::string> broken;
  auto require = [&broken](bool kept, const char* promise) {
    if (!kept) broken.emplace_back(promise);
  };

  auto atapi = std::make_unique<CAtapi>(pc);
  if (atapi->DriveCount() != 1) {
    broken.emplace_back("the scan did not find the drive");
    return broken;
  }
  atapi->SelectDrive(0);
  const int firstPosition = drive->CommandsReceived();
  const size_t firstCommand = pc.Log().Commands().size();
  const size_t firstAbort = pc.Log().Aborts().size();
  const size_t boxesBefore = pc.MessageBoxes().size();
  std::set<uint32_t> alteredData;
  for (const auto& m : choice.commands) {
    drive->AddFault(FaultFor(m, firstPosition + static_cast<int>(m.position) + 1, passThrough));
    if (m.behaviour == Behaviour::kShortTransfer || m.behaviour == Behaviour::kFlipBits) {
      alteredData.insert(m.position);
    }
  }
  const uint64_t startUs = pc.Clock().NowUs();

  // What the user's Yes runs.
  QuietProgressWindow window(pc);
  const uint8_t result = RunUpdateWithProgress(
      pc, *atapi, window, LoadMessage(pc, Pick(Message::Updating, choice.language)));
  RecordingDisplay display;
  ConcludeUpdate(pc, *atapi, result, choice.language, "OD-K818R", display);
  const uint64_t endUs = pc.Clock().NowUs();
  atapi.reset();

  const auto& all = pc.Log().Commands();
  // The update's own commands, after the scan's.
  const sim::CommandRecord* commands = all.data() + firstCommand;
  const size_t n = all.size() - firstCommand;
  const std::vector<sim::AbortRecord> aborts(
      pc.Log().Aborts().begin() + static_cast<long>(firstAbort), pc.Log().Aborts().end());
  const std::vector<HostView> views = HostViews(commands, n, aborts, passThrough);
  auto kindOf = [&](size_t i) { return sim::ClassifyCommand(commands[i].cdb); };

  // The run ends with a final result, within the time the rules allow.
  require(result == RESULT_FINISHED || result == RESULT_IMAGE_REJECTED ||
              result == RESULT_DRIVE_REJECTED || result == RESULT_FLASH_FAILED,
          "the run ended without a final result");
  require(endUs - startUs <= kFixedWaitsUs + kLongestPollPassUs + n * kLongestCommandUs,
          "the run took longer than the rules allow");

  // No firmware write after a failed check.
  size_t writes = 0, closings = 0, reads = 0;
  for (size_t i = 0; i < n; ++i) {
    const sim::CommandKind kind = kindOf(i);
    writes += kind == sim::CommandKind::kWriteBlock;
    closings += kind == sim::CommandKind::kClosing;
    reads += kind == sim::CommandKind::kReadFlashPage;
  }
  const bool imageGood = choice.variant != ImageVariant::kMissing && ImageAcceptable(imageBytes);
  if (!imageGood) {
    require(result == RESULT_IMAGE_REJECTED, "a broken image was not rejected");
  }
  if (!imageGood || result == RESULT_IMAGE_REJECTED || result == RESULT_DRIVE_REJECTED) {
    require(writes + closings + reads == 0, "the drive was written after a failed check");
  }
  // The type check: waived only for a "W0" read intact by the first
  // INQUIRY, else passed only by a good second INQUIRY of a "WM" drive.
  if (writes + closings > 0 && n >= 2 && kindOf(0) == sim::CommandKind::kInquiry &&
      alteredData.count(0) == 0 && alteredData.count(1) == 0) {
    const bool waived = views[0].good && !views[0].callFailed && choice.typeCode == "W0";
    const bool checked = kindOf(1) == sim::CommandKind::kInquiry && views[1].good &&
                         !views[1].callFailed && choice.typeCode == "WM";
    require(waived || checked, "the drive was written although its type check failed");
  }

  // Nothing follows a refused block, a closing command the rules call a
  // hardware error, or a failed page of the read-back.
  size_t lastClosing = n;
  for (size_t i = 0; i < n; ++i) {
    const sim::CommandKind kind = kindOf(i);
    const bool last = i + 1 == n;
    if (kind == sim::CommandKind::kWriteBlock && !views[i].good) {
      require(last, "a command followed a refused block");
    }
    if (kind == sim::CommandKind::kClosing) lastClosing = i;
    if (kind == sim::CommandKind::kReadFlashPage && !(views[i].good && !views[i].callFailed)) {
      require(last, "a command followed a failed read-back page");
    }
  }
  bool closingAccepted = false;
  if (lastClosing < n) {
    const HostView& closing = views[lastClosing];
    closingAccepted = closing.good || closing.key == 0 || closing.key == 2;
    if (!closingAccepted) require(lastClosing + 1 == n, "a command followed a refused closing");
  }

  // Polling: every command after the closing command up to the read-back is
  // a TEST UNIT READY; it ended ready when the last poll before the final
  // one said so.
  size_t firstRead = n;
  for (size_t i = 0; i < n; ++i) {
    if (kindOf(i) == sim::CommandKind::kReadFlashPage) {
      firstRead = i;
      break;
    }
  }
  bool pollingEndedReady = false;
  if (lastClosing < n) {
    for (size_t i = lastClosing + 1; i < firstRead; ++i) {
      require(kindOf(i) == sim::CommandKind::kTestUnitReady,
              "something other than TEST UNIT READY was sent while waiting for the drive");
    }
    if (firstRead < n) {
      require(firstRead >= lastClosing + 3, "the read-back began without polling");
      if (firstRead >= lastClosing + 3) {
        const HostView& poll = views[firstRead - 2];
        pollingEndedReady = !poll.callFailed && (poll.good || (poll.key == 2 && poll.asc == 0x3A));
        require(pollingEndedReady, "the read-back began before the drive answered ready");
      }
    }
    if (lastClosing + 1 < n) {
      const uint64_t pollingUs =
          commands[std::min(firstRead, n) - 1].timeUs - commands[lastClosing + 1].timeUs;
      require(pollingUs <= 121 * kSecondUs + kLongestPollPassUs + kLongestCommandUs,
              "the polling went on past its time-out");
    }
  }

  // The read-back: the pages in order, each read good, summed.
  const int bankCount = imageBytes.size() >= 36 ? Le16(imageBytes, 34) : 0;
  const auto pages = ReadBackPages(bankCount > 8 ? 0 : bankCount);
  bool readBackGood = reads == pages.size() && reads > 0;
  uint32_t sum = 0;
  for (size_t i = firstRead, page = 0; i < n; ++i, ++page) {
    if (page >= pages.size() || kindOf(i) != sim::CommandKind::kReadFlashPage) {
      broken.emplace_back("the read-back read something else than the next page");
      readBackGood = false;
      break;
    }
    const sim::Cdb& cdb = commands[i].cdb;
    if (cdb[9] != pages[page].first || ((cdb[6] << 8) | cdb[7]) != pages[page].second) {
      broken.emplace_back("the read-back read the pages out of order");
    }
    if (!views[i].good || views[i].callFailed) readBackGood = false;
    sum += commands[i].dataSum;
  }
  readBackGood =
      readBackGood && imageBytes.size() >= 34 && static_cast<uint16_t>(sum) == Le16(imageBytes, 32);

  // Success, said or acted on, needs all of it.
  bool blocksAccepted = writes == static_cast<size_t>(choice.blocks);
  for (size_t i = 0; i < n; ++i) {
    if (kindOf(i) == sim::CommandKind::kWriteBlock && !views[i].good) blocksAccepted = false;
  }
  const bool restarted = !pc.ExitWindowsCalls().empty();
  const bool successShown =
      display.pageText == OutcomeText(pc, RESULT_FINISHED, choice.language, "OD-K818R") ||
      (!display.boxes.empty() &&
       display.boxes.back() == OutcomeText(pc, RESULT_FINISHED, choice.language, "OD-K818R"));
  if (restarted || successShown || result == RESULT_FINISHED) {
    require(imageGood && blocksAccepted, "success without every block accepted");
    require(closingAccepted, "success without an accepted closing command");
    require(pollingEndedReady, "success without the drive answering ready");
    require(readBackGood, "success without a good read-back that sums to the image checksum");
    require(result == RESULT_FINISHED, "a restart or the success text without RESULT_FINISHED");
  }
  require(restarted == (result == RESULT_FINISHED), "the restart does not follow the result");
  if (!restarted || choice.restartRefused) {
    require(display.exit, "the page was left without Exit");
  }
  // While the drive restarts nothing stops the worker behind a box.
  if (lastClosing < n) {
    const uint64_t restartEndUs = firstRead < n ? commands[firstRead].timeUs : endUs;
    for (size_t i = boxesBefore; i < pc.MessageBoxes().size(); ++i) {
      const sim::MessageBoxRecord& box = pc.MessageBoxes()[i];
      if ((box.style & platform::kMbIconStop) != 0 && box.timeUs >= commands[lastClosing].timeUs &&
          box.timeUs < restartEndUs) {
        broken.emplace_back("a system-error box while the drive restarted");
      }
    }
  }

  // Everything the run opened is released.
  require(pc.OpenFiles() == 0 && pc.OutstandingBuffers() == 0 && pc.BadFrees() == 0,
          "a file or buffer was left behind");
  require(pc.OpenEvents() == 0 && pc.OpenThreadHandles() == 0 && pc.OpenDeviceHandles() == 0,
          "a handle was left open");
  require(pc.BadCloses() == 0, "a handle, file or key was closed twice");
  require(pc.Registry().OpenKeys() == 0, "a registry key was left open");
  require(pc.LibraryLoads() == pc.LibraryUnloads(), "the ASPI library was not released");
  require(pc.Aspi().PendingRequests() == 0, "an ASPI request was left pending");

  if (story != nullptr && (!broken.empty() || std::getenv("UPDATE_FUZZ_STORY") != nullptr)) {
    *story = Story(choice, imageBytes, pc, firstCommand, result);
  }
  return broken;
}

void RunOneUpdate(const uint8_t* data, size_t size) {
  std::string story;
  const std::vector<std::string> broken = CheckOneUpdate(data, size, &story);
  if (broken.empty()) return;
  std::fputs(story.c_str(), stderr);
  for (const std::string& promise : broken) std::fprintf(stderr, "BROKEN: %s\n", promise.c_str());
  std::abort();
}

}  // namespace updatefuzz
