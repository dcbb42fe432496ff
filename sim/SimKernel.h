// What kernel32 tells the simulated PC's programs beyond files and
// devices: named mutexes that other processes hold, and the system locale.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace sim {

class SimKernel {
 public:
  // Another process created a mutex of this name.
  void HoldMutexElsewhere(const std::string& name) { mutexes_[name] += 1; }
  // CreateMutexA: the error to leave in LastError (0 or ERROR_ALREADY_EXISTS).
  uint32_t CreateNamedMutex(const std::string& name);
  int MutexCreations(const std::string& name) const;

  // What GetLocaleInfoA answers for LOCALE_ILANGUAGE of the system default
  // locale; an empty text makes the call fail.
  void SetSystemLanguage(std::string identifier) { language_ = std::move(identifier); }
  int LocaleInfo(uint32_t locale, uint32_t type, char* buffer, int size) const;

 private:
  std::map<std::string, int> mutexes_;  // name -> creations, by anyone
  std::map<std::string, int> ownCreations_;
  std::string language_ = "0409";
};

}  // namespace sim
