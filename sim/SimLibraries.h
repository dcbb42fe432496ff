// Run-time libraries of the simulated PC: WNASPI32.DLL in the system folder,
// present or not, with either entry point missing, handing out entry points
// that forward to the live PC's ASPI manager.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sim {

class AspiManager;

class SimLibraries {
 public:
  SimLibraries(uint32_t& lastError, const std::string& systemDirectory)
      : lastError_(lastError), systemDirectory_(systemDirectory) {}

  void InstallAspi(bool supportInfo, bool sendCommand);
  void RemoveAspi() { aspiInstalled_ = false; }

  int Loads() const { return loads_; }
  int Unloads() const { return unloads_; }
  int BadUnloads() const { return badUnloads_; }
  const std::vector<std::string>& LoadPaths() const { return loadPaths_; }

  platform::Module Load(const char* path);
  void* Entry(platform::Module module, const char* name);
  void Unload(platform::Module module);

  // The ASPI manager the handed-out entry points reach (null: none).
  static void SetActiveManager(AspiManager* manager);

 private:
  uint32_t& lastError_;
  const std::string& systemDirectory_;
  bool aspiInstalled_ = false;
  bool hasSupportInfo_ = true;
  bool hasSendCommand_ = true;
  int loads_ = 0;
  int unloads_ = 0;
  int badUnloads_ = 0;
  std::vector<std::string> loadPaths_;
};

}  // namespace sim
