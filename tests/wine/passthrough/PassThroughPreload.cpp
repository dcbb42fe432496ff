// The pass-through library, preloaded (LD_PRELOAD) into a Windows
// program's Wine process. Wine answers DeviceIoControl with
// IOCTL_SCSI_PASS_THROUGH_DIRECT by one ioctl(fd, SG_IO, ...) on whatever
// file the drive letter's device link names; when that is one of the
// runner's placeholder files, the simulated device that the scenario puts
// behind the letter answers instead. Every other ioctl goes to the C library.
//
//   TEST_PASSTHROUGH_SCENARIO  scenario file; its `letter` lines name the devices
//   TEST_PASSTHROUGH_DEVICES   folder of placeholder files, one per letter, named E, F, ...
//   TEST_PASSTHROUGH_LOG       request log, appended to (see SgBridge.h)
//
// Nothing is read before the first SG_IO request, so that the other
// processes that inherit the preload (the wineserver, reg) stay untouched.
#include <dlfcn.h>
#include <scsi/sg.h>
#include <sys/stat.h>
#include <time.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "passthrough/SgBridge.h"
#include "sim/Scenario.h"

// The only exports (exports.map).
extern "C" int ioctl(int fd, unsigned long request, ...);
// What 32-bit programs of a C library with 64-bit time call instead.
extern "C" int __ioctl_time64(int fd, unsigned long request, ...);

namespace {

using IoctlFunction = int (*)(int, unsigned long, ...);

struct Placeholder {
  dev_t device = 0;
  ino_t inode = 0;
  char letter = 0;
  std::shared_ptr<sim::ScsiDevice> drive;  // null: a CD-ROM letter with nothing behind it
};

class SimulatedLetters {
 public:
  SimulatedLetters() : start_(std::chrono::steady_clock::now()) {}

  void Load() {
    const char* log = std::getenv("TEST_PASSTHROUGH_LOG");
    logPath_ = log != nullptr ? log : "";
    ContinueNumbering();
    const char* path = std::getenv("TEST_PASSTHROUGH_SCENARIO");
    const char* folder = std::getenv("TEST_PASSTHROUGH_DEVICES");
    if (path == nullptr || folder == nullptr) {
      Write("scenario error: TEST_PASSTHROUGH_SCENARIO or TEST_PASSTHROUGH_DEVICES not set");
      return;
    }
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    sim::Scenario scenario;
    std::string error;
    if (!file || !sim::ParseScenario(text.str(), scenario, &error)) {
      Write("scenario error: " + std::string(path) + ": " + (file ? error : "cannot read"));
      return;
    }
    Write("scenario: " + std::string(path));
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      struct stat identity {};
      if (stat((std::string(folder) + "/" + letter).c_str(), &identity) != 0) continue;
      Placeholder placeholder{identity.st_dev, identity.st_ino, letter, nullptr};
      for (const sim::DeviceSetup& setup : scenario.devices) {
        if (setup.bus == sim::DeviceSetup::Bus::kLetter && setup.letter == letter) {
          placeholder.drive = setup.device;
        }
      }
      placeholders_.push_back(placeholder);
      if (!placeholder.drive) Write(std::string(1, letter) + ": no device behind the letter");
    }
  }

  const Placeholder* Find(int fd) const {
    struct stat identity {};
    if (fstat(fd, &identity) != 0) return nullptr;
    for (const Placeholder& placeholder : placeholders_) {
      if (placeholder.device == identity.st_dev && placeholder.inode == identity.st_ino) {
        return &placeholder;
      }
    }
    return nullptr;
  }

  int Answer(const Placeholder& placeholder, sg_io_hdr& request) {
    const std::string number = "#" + std::to_string(next_++) + " ";
    if (!placeholder.drive) {
      Write(number + placeholder.letter + ": no device -> errno=ENOTTY");
      errno = ENOTTY;
      return -1;
    }
    winept::SgAnswer answer =
        winept::AnswerRequest(request, *placeholder.drive, placeholder.letter, NowUs());
    if (answer.waitUs > 0) {
      timespec pause{static_cast<time_t>(answer.waitUs / 1000000),
                     static_cast<long>(answer.waitUs % 1000000 * 1000)};
      while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
      }
    }
    Write(number + answer.line);
    if (answer.result != 0) errno = answer.error;
    return answer.result;
  }

 private:
  uint64_t NowUs() const {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now() - start_)
                                     .count());
  }

  // A program started by another (the launcher's flasher) has the library
  // too and logs to the same file: its requests go on from the last number.
  void ContinueNumbering() {
    std::ifstream log(logPath_);
    for (std::string line; std::getline(log, line);) {
      const size_t mark = line.find(" #");
      if (mark == std::string::npos) continue;
      const int number = std::atoi(line.c_str() + mark + 2);
      if (number >= next_) next_ = number + 1;
    }
  }

  // Opened and closed per line, so that the log survives the process being killed.
  void Write(const std::string& text) const {
    if (logPath_.empty()) return;
    FILE* file = std::fopen(logPath_.c_str(), "ab");
    if (file == nullptr) return;
    const uint64_t now = NowUs();
    std::fprintf(file, "%llu.%03llu %s\n", static_cast<unsigned long long>(now / 1000000u),
                 static_cast<unsigned long long>(now / 1000u % 1000u), text.c_str());
    std::fclose(file);
  }

  std::chrono::steady_clock::time_point start_;
  std::string logPath_;
  std::vector<Placeholder> placeholders_;
  int next_ = 1;
};

std::mutex lock;
SimulatedLetters* letters = nullptr;  // built on the first SG_IO request, kept for the process

IoctlFunction Next(const char* name) {
  return reinterpret_cast<IoctlFunction>(dlsym(RTLD_NEXT, name));
}

int Dispatch(IoctlFunction next, int fd, unsigned long request, void* argument) {
  if (request == SG_IO && argument != nullptr) {
    std::lock_guard<std::mutex> locked(lock);
    if (letters == nullptr) {
      letters = new SimulatedLetters();
      letters->Load();
    }
    if (const Placeholder* placeholder = letters->Find(fd)) {
      return letters->Answer(*placeholder, *static_cast<sg_io_hdr*>(argument));
    }
  }
  if (next == nullptr) {
    errno = ENOSYS;
    return -1;
  }
  return next(fd, request, argument);
}

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) {
  static const IoctlFunction next = Next("ioctl");
  va_list arguments;
  va_start(arguments, request);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);
  return Dispatch(next, fd, request, argument);
}

extern "C" int __ioctl_time64(int fd, unsigned long request, ...) {
  static const IoctlFunction next = [] {
    IoctlFunction found = Next("__ioctl_time64");
    return found != nullptr ? found : Next("ioctl");
  }();
  va_list arguments;
  va_start(arguments, request);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);
  return Dispatch(next, fd, request, argument);
}
