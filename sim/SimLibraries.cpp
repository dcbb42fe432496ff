#include "sim/SimLibraries.h"

#include <cstring>

#include "platform/AspiRecords.h"
#include "sim/AspiManager.h"
#include "sim/CaseFold.h"
#include "sim/SimErrors.h"

namespace sim {

namespace {

constexpr uintptr_t kAspiModuleAddress = 0x10000000;

AspiManager* g_activeManager = nullptr;

// Plain functions, as GetProcAddress hands out; they reach the live PC.
uint32_t ForwardSupportInfo() {
  return g_activeManager == nullptr ? 0 : g_activeManager->GetASPI32SupportInfo();
}

uint32_t ForwardSendCommand(void* srb) {
  return g_activeManager == nullptr ? aspi::SS_INVALID_CMD
                                    : g_activeManager->SendASPI32Command(srb);
}

}  // namespace

void SimLibraries::SetActiveManager(AspiManager* manager) {
  g_activeManager = manager;
}

void SimLibraries::InstallAspiLibrary(bool supportInfo, bool sendCommand) {
  aspiInstalled_ = true;
  hasSupportInfo_ = supportInfo;
  hasSendCommand_ = sendCommand;
}

platform::Module SimLibraries::LoadLibraryAt(const char* path) {
  const std::string requested = path == nullptr ? std::string() : std::string(path);
  loadPaths_.push_back(requested);
  if (!aspiInstalled_ || UpperCase(requested) != UpperCase(systemDirectory_ + "\\WNASPI32.DLL")) {
    lastError_ = kErrorModNotFound;
    return nullptr;
  }
  ++loads_;
  return reinterpret_cast<platform::Module>(kAspiModuleAddress);
}

void* SimLibraries::ProcAddress(platform::Module module, const char* name) {
  const bool loaded = loads_ > unloads_;
  if (!loaded || module != reinterpret_cast<platform::Module>(kAspiModuleAddress) ||
      name == nullptr) {
    lastError_ = kErrorInvalidHandle;
    return nullptr;
  }
  // GetProcAddress matches names case-sensitively.
  if (hasSupportInfo_ && std::strcmp(name, "GetASPI32SupportInfo") == 0) {
    aspi::GetASPI32SupportInfoFn function = &ForwardSupportInfo;
    return reinterpret_cast<void*>(function);
  }
  if (hasSendCommand_ && std::strcmp(name, "SendASPI32Command") == 0) {
    aspi::SendASPI32CommandFn function = &ForwardSendCommand;
    return reinterpret_cast<void*>(function);
  }
  lastError_ = kErrorProcNotFound;
  return nullptr;
}

void SimLibraries::UnloadLibrary(platform::Module module) {
  if (module != reinterpret_cast<platform::Module>(kAspiModuleAddress) || unloads_ >= loads_) {
    ++badUnloads_;
    return;
  }
  ++unloads_;
}

}  // namespace sim
