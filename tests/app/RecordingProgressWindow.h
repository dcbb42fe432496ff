// A progress window that draws nothing and records what the schedule did
// with it, in the simulated PC's virtual time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/ProgressWindow.h"
#include "sim/SimPc.h"

namespace apptest {

struct WindowLife {
  uint64_t createdUs = 0;
  uint64_t destroyedUs = 0;
  bool created = false;
  std::string title;
  std::string text;
  int lower = -1;
  int upper = -1;
  std::vector<uint64_t> stepTimesUs;  // one per position shown
  std::vector<int> positions;
  int captions = 0;
  bool hidden = false;
};

class RecordingProgressWindow : public ProgressWindow {
 public:
  explicit RecordingProgressWindow(sim::SimPc& pc, std::string profile = "FlashK818R.INI")
      : ProgressWindow(pc, std::move(profile)), pc_(pc) {}

  // Esc is typed into the window at this virtual time (the next pump sees it).
  void TypeEscAt(uint64_t timeUs) { escAtUs_ = timeUs; }
  void FailCreation(bool fail = true) { failCreation_ = fail; }

  void PeekAndPump(bool escCancels) override {
    pc_.PumpOneMessage();
    if (escCancels && pc_.Clock().NowUs() >= escAtUs_) {
      escAtUs_ = UINT64_MAX;
      Cancel();
    }
  }

  const std::vector<WindowLife>& Lives() const { return lives_; }

 protected:
  bool OpenWindow(const std::string& title, bool) override {
    lives_.emplace_back();
    lives_.back().createdUs = pc_.Clock().NowUs();
    lives_.back().title = title;
    lives_.back().created = !failCreation_;
    return !failCreation_;
  }
  void ShowRange(int lower, int upper, int) override {
    Life().lower = lower;
    Life().upper = upper;
  }
  void ShowPosition(int position) override {
    Life().positions.push_back(position);
    Life().stepTimesUs.push_back(pc_.Clock().NowUs());
  }
  void ShowCaption(const std::string&) override { ++Life().captions; }
  void ShowText(const std::string& text) override { Life().text = text; }
  void HideWindow() override { Life().hidden = true; }
  bool ScreenPosition(int* left, int* top) override {
    if (!Life().created) return false;
    *left = 300 + static_cast<int>(lives_.size());
    *top = 200 + static_cast<int>(lives_.size());
    return true;
  }
  void RemoveWindow() override { Life().destroyedUs = pc_.Clock().NowUs(); }

 private:
  WindowLife& Life() { return lives_.back(); }

  sim::SimPc& pc_;
  uint64_t escAtUs_ = UINT64_MAX;
  bool failCreation_ = false;
  std::vector<WindowLife> lives_;
};

}  // namespace apptest
