#include "app/UpdateRun.h"

#include "app/AppBoxes.h"
#include "app/ProgressSchedule.h"
#include "app/UpdateOutcome.h"

namespace {

class PageOutcome : public OutcomeDisplay {
 public:
  PageOutcome(platform::Platform& os, UpdatePage& page, const std::function<void()>& refresh)
      : os_(os), page_(page), refresh_(refresh) {}

  void ShowPage(const std::string& text, bool exitEnabled) override {
    page_.SetPageText(text);
    // The drive list stays locked too: a new selection would overwrite the
    // outcome and readdress the drive object.
    UpdateButtons buttons;
    buttons.back = false;
    buttons.update = false;
    buttons.exit = exitEnabled;
    buttons.driveList = false;
    page_.SetButtons(buttons);
    refresh_();
  }
  void ShowBox(const std::string& text) override {
    ShowApplicationBox(os_, text, platform::kMbOk | platform::kMbIconQuestion);
  }

 private:
  platform::Platform& os_;
  UpdatePage& page_;
  const std::function<void()>& refresh_;
};

}  // namespace

std::string ProfileFileName(platform::Programs& program) {
  return ApplicationTitle(program) + ".INI";
}

void RunUpdateOnPage(platform::Platform& os, CAtapi& atapi, UpdatePage& page,
                     ProgressWindow& window, const std::function<void()>& refresh) {
  const Language language = page.PageLanguage();
  const uint8_t result =
      RunUpdateWithProgress(os, atapi, window, LoadMessage(os, Pick(Message::Updating, language)));
  PageOutcome outcome(os, page, refresh);
  ConcludeUpdate(os, atapi, result, language, page.ProductName(page.Selection()), outcome);
}
