#include "app/UpdateOutcome.h"

namespace {

std::string Text(platform::Platform& os, Message message, Language language,
                 const std::string& productName = "") {
  return FormatMessageText(LoadMessage(os, Pick(message, language)), productName);
}

}  // namespace

std::string OutcomeText(platform::Platform& os, uint8_t result, Language language,
                        const std::string& productName) {
  switch (result) {
    case RESULT_FINISHED:
      return Text(os, Message::UpdateFinished, language);
    case RESULT_IMAGE_REJECTED:
      return Text(os, Message::ChecksumError, language);
    case RESULT_DRIVE_REJECTED:
      return Text(os, Message::DriveUpToDate, language);
    case RESULT_NOT_STARTED:
      return Text(os, Message::UpdateFailed, language, productName) +
             Text(os, Message::NothingSent, language);
    default:
      // The flash did not end verified, whatever the engine met on the way.
      return Text(os, Message::UpdateFailed, language, productName) +
             Text(os, Message::HardwareError, language);
  }
}

void ConcludeUpdate(platform::Platform& os, CAtapi& atapi, uint8_t result, Language language,
                    const std::string& productName, OutcomeDisplay& display) {
  const std::string exitHint = Text(os, Message::ExitHint, language);
  const std::string text = OutcomeText(os, result, language, productName);
  display.ShowPage(text, false);
  display.ShowBox(text);
  if (result != RESULT_FINISHED) {
    display.ShowPage(text + exitHint, true);
    return;
  }
  if (atapi.RestartWindows()) return;
  // The drive is updated; the user must still be able to restart and leave.
  display.ShowPage(Text(os, Message::RestartNeeded, language, productName) + exitHint, true);
}
