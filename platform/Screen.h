// The seam's screen role: message boxes and the message loop of the
// calling thread.
#pragma once

namespace platform {

// Message box styles and answers (MB_*, ID*).
constexpr unsigned kMbOk = 0x00;
constexpr unsigned kMbOkCancel = 0x01;
constexpr unsigned kMbYesNo = 0x04;
constexpr unsigned kMbIconStop = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class Screen {
 public:
  virtual ~Screen() = default;

  virtual int ShowMessageBox(const char* text, const char* caption, unsigned style) = 0;
  // A box owned by the thread's active window (MessageBoxA with it as owner),
  // so that the window cannot be used while the box is up.
  virtual int ShowOwnedMessageBox(const char* text, const char* caption, unsigned style) = 0;
  virtual void PumpOneMessage() = 0;  // dispatches one waiting message of this thread, if any
};

}  // namespace platform
