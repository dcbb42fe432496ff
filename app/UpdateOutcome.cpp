#include "app/UpdateOutcome.h"

namespace {

std::string Text(platform::Programs& program, Message message, Language language,
                 const std::string& productName = "") {
  return FormatMessageText(LoadMessage(program, Pick(message, language)), productName);
}

}  // namespace

std::string OutcomeText(platform::Programs& program, uint8_t result, Language language,
                        const std::string& productName) {
  switch (result) {
    case RESULT_FINISHED:
      return Text(program, Message::UpdateFinished, language);
    case RESULT_IMAGE_REJECTED:
      return Text(program, Message::ChecksumError, language);
    case RESULT_DRIVE_REJECTED:
      return Text(program, Message::DriveUpToDate, language);
    case RESULT_NOT_STARTED:
      return Text(program, Message::UpdateFailed, language, productName) +
             Text(program, Message::NothingSent, language);
    default:
      // The flash did not end verified, whatever the engine met on the way.
      return Text(program, Message::UpdateFailed, language, productName) +
             Text(program, Message::HardwareError, language);
  }
}

void ConcludeUpdate(platform::Programs& program, CAtapi& atapi, uint8_t result, Language language,
                    const std::string& productName, OutcomeDisplay& display) {
  const std::string exitHint = Text(program, Message::ExitHint, language);
  const std::string text = OutcomeText(program, result, language, productName);
  display.ShowPage(text, false);
  display.ShowBox(text);
  if (result != RESULT_FINISHED) {
    display.ShowPage(text + exitHint, true);
    return;
  }
  if (atapi.RestartWindows()) return;
  // The drive is updated; the user must still be able to restart and leave.
  display.ShowPage(Text(program, Message::RestartNeeded, language, productName) + exitHint, true);
}
