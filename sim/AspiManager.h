// A simulated ASPI for Win32 manager: host adapters, targets 0-7 and LUNs
// 0-7 holding devices, and the two library entry points.
//
// It does not know the simulated PC: it talks to an AspiHost for time,
// events and delayed completions, so the same manager and devices also
// build into a test WNASPI32.DLL with a host over real Windows events.
//
//   manager.Attach(0, 1, 0, drive);                           // completes synchronously
//   manager.Attach(0, 2, 0, cdrom, sim::Completion::kPending); // event after the latency
//   manager.SetDevTypePendingPolls(0, 1, 0, 3);                // GET_DEV_TYPE pending for 3 polls
//
// Not thread-safe: one caller at a time (the DLL host adds its own lock).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "platform/AspiRecords.h"
#include "sim/CommandLog.h"
#include "sim/ScsiDevice.h"

namespace sim {

class AspiHost {
 public:
  virtual ~AspiHost() = default;
  virtual uint64_t NowUs() = 0;
  // A command that completes inside SendASPI32Command still takes its time.
  virtual void Elapse(uint64_t us) = 0;
  // SetEvent on the handle the caller put into SRB_PostProc.
  virtual void SignalEvent(void* event) = 0;
  // Runs `action` at virtual time `timeUs` (or, in the DLL, from a thread).
  virtual void ScheduleAt(uint64_t timeUs, std::function<void()> action) = 0;
};

constexpr uint8_t SS_NO_ADAPTERS = 0xE8;
constexpr int kAspiTargets = 8;
constexpr int kAspiLuns = 8;

class AspiManager {
 public:
  static constexpr int kPendingForever = -1;

  AspiManager(AspiHost& host, CommandLog& log) : host_(host), log_(log) {}
  AspiManager(const AspiManager&) = delete;
  AspiManager& operator=(const AspiManager&) = delete;

  // Adapters exist from 0 to count-1; Attach extends the count as needed.
  void SetAdapterCount(int count) { adapterCount_ = count; }
  int AdapterCount() const { return adapterCount_; }

  void Attach(int ha, int target, int lun, std::shared_ptr<ScsiDevice> device,
              Completion completion = Completion::kSynchronous);
  void Detach(int ha, int target, int lun) { slots_.erase(Slot{ha, target, lun}); }
  void SetCompletion(int ha, int target, int lun, Completion completion);
  ScsiDevice* DeviceAt(int ha, int target, int lun) const;

  // GET_DEV_TYPE on this slot answers SS_PENDING and completes only after
  // `polls` calls of Poll() (kPendingForever: never).
  void SetDevTypePendingPolls(int ha, int target, int lun, int polls) {
    devTypePendingPolls_[Slot{ha, target, lun}] = polls;
  }
  // The caller's message loop turned once (the PC calls it from PumpOneMessage).
  void Poll();

  // The library's entry points.
  uint32_t GetASPI32SupportInfo() const;
  uint32_t SendASPI32Command(void* srb);

  // Requests started but not ended (pending completions, never-ending ones).
  size_t PendingRequests() const { return pendingExec_.size() + pendingDevType_.size(); }
  // The HA_ManagerId text of SC_HA_INQUIRY.
  static constexpr const char* kManagerId = "ASPI for WIN32";

 private:
  using Slot = std::tuple<int, int, int>;
  struct Attachment {
    std::shared_ptr<ScsiDevice> device;
    Completion completion = Completion::kSynchronous;
  };
  struct PendingDevType {
    aspi::SRB_GDEVBlock* srb;
    int pollsLeft;
    uint8_t status;
    uint8_t deviceType;
  };

  uint32_t HaInquiry(aspi::SRB_HAInquiry& srb) const;
  uint32_t GetDevType(aspi::SRB_GDEVBlock& srb);
  uint32_t ExecScsi(aspi::SRB_ExecSCSICmd& srb);
  uint32_t Abort(aspi::SRB_Abort& srb);
  void Finish(aspi::SRB_ExecSCSICmd& srb, const ScsiResult& result) const;
  const Attachment* Find(int ha, int target, int lun) const;

  AspiHost& host_;
  CommandLog& log_;
  int adapterCount_ = 0;
  std::map<Slot, Attachment> slots_;
  std::map<Slot, int> devTypePendingPolls_;
  std::map<const void*, uint64_t> pendingExec_;  // request block -> request id
  uint64_t nextRequestId_ = 1;
  std::vector<PendingDevType> pendingDevType_;
};

}  // namespace sim
