// What the licence page shows, decided without a window: its language, the
// version item of its system menu, the gate, the licence and the prompt.
// The dialog (app/win32/LicenseDlg) applies it step by step.
#pragma once

#include <string>

#include "app/MessageCatalogue.h"
#include "app/OsGate.h"
#include "platform/Platform.h"

class LicensePage {
 public:
  explicit LicensePage(platform::Platform& os) : os_(os) {}

  // Picks the language and loads the system-menu item's text (empty: no item).
  void Open();
  // The gate; on refusal its box has been shown and the page must end.
  bool PassGate();
  // The licence text of the page's language and the prompt under it; both
  // stay empty when the program carries no licence.
  void LoadTexts();

  Language PageLanguage() const { return language_; }
  const std::string& VersionMenuText() const { return versionMenuText_; }
  const std::string& LicenseText() const { return licenseText_; }
  const std::string& PromptText() const { return promptText_; }
  const OsRecord& Os() const { return record_; }

 private:
  platform::Platform& os_;
  Language language_ = Language::kEnglish;
  std::string versionMenuText_;
  OsRecord record_;
  std::string licenseText_;
  std::string promptText_;
};
