// The screen of the simulated PC: message boxes answered from a queue (or
// with their first button) and recorded, and a message loop whose every
// turn lets the ASPI manager finish what it may and costs a little time.
//
//   pc.QueueMessageBoxAnswer(platform::kIdNo);
//   ... pc.MessageBoxes().at(0).text, pc.PumpCount() ...
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Screen.h"
#include "sim/AspiManager.h"
#include "sim/VirtualClock.h"

namespace sim {

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  unsigned style = 0;
  int answer = 0;
  uint64_t timeUs = 0;
  bool owned = false;  // by the program's active window
};

class SimScreen : public virtual platform::Screen {
 public:
  SimScreen(VirtualClock& clock, AspiManager& aspi) : clock_(clock), aspi_(aspi) {}

  // Answers for the coming message boxes, in order; after them the first button.
  void QueueMessageBoxAnswer(int answer) { answers_.push_back(answer); }
  void SetPumpCostUs(uint64_t cost) { pumpCostUs_ = cost; }
  // Runs on every PumpOneMessage, after the ASPI manager's poll: lets a test
  // act "from the message loop", e.g. end a GET_DEV_TYPE that stays pending.
  void SetPumpHook(std::function<void()> hook) { pumpHook_ = std::move(hook); }

  const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
  int PumpCount() const { return pumpCount_; }

  int ShowMessageBox(const char* text, const char* caption, unsigned style) override;
  int ShowOwnedMessageBox(const char* text, const char* caption, unsigned style) override;
  void PumpOneMessage() override;

 private:
  VirtualClock& clock_;
  AspiManager& aspi_;
  std::vector<MessageBoxRecord> messageBoxes_;
  std::deque<int> answers_;
  int pumpCount_ = 0;
  uint64_t pumpCostUs_ = 10;
  std::function<void()> pumpHook_;
};

}  // namespace sim
