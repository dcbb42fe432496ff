// Run-time libraries of the simulated PC, its part of the devices role:
// WNASPI32.DLL in the system folder, present or not, with either entry
// point missing, handing out entry points that forward to the live PC's
// ASPI manager.
//
//   pc.InstallAspiLibrary(true, false);   // SendASPI32Command missing
//   ... pc.LibraryLoads(), pc.LoadLibraryPaths() ...
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Devices.h"

namespace sim {

class AspiManager;

class SimLibraries : public virtual platform::Devices {
 public:
  SimLibraries(uint32_t& lastError, const std::string& systemDirectory)
      : lastError_(lastError), systemDirectory_(systemDirectory) {}

  // WNASPI32.DLL in the system directory, with either entry point missing.
  void InstallAspiLibrary(bool supportInfo = true, bool sendCommand = true);
  void RemoveAspiLibrary() { aspiInstalled_ = false; }

  int LibraryLoads() const { return loads_; }
  int LibraryUnloads() const { return unloads_; }
  int BadUnloads() const { return badUnloads_; }
  const std::vector<std::string>& LoadLibraryPaths() const { return loadPaths_; }

  platform::Module LoadLibraryAt(const char* path) override;
  void* ProcAddress(platform::Module module, const char* name) override;
  void UnloadLibrary(platform::Module module) override;

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
