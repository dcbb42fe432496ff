// How an update run ends on the update page: the outcome text in the page
// and in a box, then either the restart or a page the user can only leave.
// Back and Update stay disabled whatever the outcome: one run per page.
#pragma once

#include <cstdint>
#include <string>

#include "app/MessageCatalogue.h"
#include "platform/Platform.h"
#include "transport/Atapi.h"

// What the outcome does to the update page.
class OutcomeDisplay {
 public:
  virtual ~OutcomeDisplay() = default;
  // Puts the text into the page; Exit is usable or not.
  virtual void ShowPage(const std::string& text, bool exitEnabled) = 0;
  // The application's box with that text, the question-mark icon and OK.
  virtual void ShowBox(const std::string& text) = 0;
};

// The outcome text of a final result, as the page and the box show it.
std::string OutcomeText(platform::Programs& program, uint8_t result, Language language,
                        const std::string& productName);

// The page gets the outcome text, then the box repeats it. A finished update
// then restarts Windows with every button left disabled; any other result,
// or a restart that Windows refused, leaves the exit hint and only Exit.
void ConcludeUpdate(platform::Programs& program, CAtapi& atapi, uint8_t result, Language language,
                    const std::string& productName, OutcomeDisplay& display);
