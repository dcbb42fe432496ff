// The test DLL's request log: one text line per request as the caller filled
// it in, with the status it got, and one more line when a pending request
// ends. Tests read it to check the command sequence a real program sent:
//
//   0.012 #3 EXEC ha=0 target=1 lun=0 flags=48 buflen=50 buf=set senselen=14
//         cdblen=12 postproc=set cdb=12 00 00 00 32 00 00 00 00 00 00 00 -> 00 pending
//   0.013 #3 done 01 targstat=00 sense=00/00/00 event=set
//
// (one line each). Lines are appended and the file closed every time, so
// the log survives the program being killed.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace wineaspi {

class RequestLog {
 public:
  explicit RequestLog(std::string path) : path_(std::move(path)) {}

  void Note(uint64_t timeUs, const std::string& text);
  // Before the manager sees the request: the request's number and its text.
  int Begin(const void* srb, std::string& line);
  // After the manager answered.
  void End(uint64_t timeUs, void* srb, int number, std::string line);
  void EventSignalled(void* event) { signalled_.insert(event); }

  // Pending requests whose end has not been written yet.
  bool HasPending() const { return !pending_.empty(); }
  void WriteCompletions(uint64_t timeUs);

 private:
  struct Pending {
    void* srb;
    int number;
    uint8_t command;
  };

  void Write(uint64_t timeUs, const std::string& text) const;
  int NumberOf(const void* srb) const;
  std::string EventNote(const void* srb) const;

  std::string path_;
  int nextNumber_ = 1;
  std::vector<Pending> pending_;
  std::vector<Pending> recent_;  // the last requests, for naming an abort's target
  std::set<void*> signalled_;
};

}  // namespace wineaspi
