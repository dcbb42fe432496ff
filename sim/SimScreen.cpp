#include "sim/SimScreen.h"

namespace sim {

int SimScreen::ShowMessageBox(const char* text, const char* caption, unsigned style) {
  int answer = platform::kIdOk;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  } else {
    switch (style & 0x0F) {
      case 2:  // MB_ABORTRETRYIGNORE
        answer = 3;
        break;
      case 3:  // MB_YESNOCANCEL
      case platform::kMbYesNo:
        answer = platform::kIdYes;
        break;
      case 5:  // MB_RETRYCANCEL
        answer = 4;
        break;
      default:
        answer = platform::kIdOk;
        break;
    }
  }
  messageBoxes_.push_back(MessageBoxRecord{text == nullptr ? "" : text,
                                           caption == nullptr ? "" : caption, style, answer,
                                           clock_.NowUs()});
  return answer;
}

int SimScreen::ShowOwnedMessageBox(const char* text, const char* caption, unsigned style) {
  const int answer = ShowMessageBox(text, caption, style);
  messageBoxes_.back().owned = true;
  return answer;
}

void SimScreen::PumpOneMessage() {
  ++pumpCount_;
  aspi_.Poll();
  if (pumpHook_) pumpHook_();
  clock_.Advance(pumpCostUs_);
}

}  // namespace sim
