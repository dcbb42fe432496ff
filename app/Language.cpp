#include "app/Language.h"

#include <cstdlib>

Language DetectLanguage(platform::SystemInfo& system) {
  // Four hexadecimal digits, read as a decimal number the way the C runtime
  // reads one: 0411 is 411, 040A stops at the letter, a failure reads 0.
  char buffer[5] = {};
  system.LocaleInfo(platform::kLocaleSystemDefault, platform::kLocaleILanguage, buffer,
                    sizeof buffer);
  buffer[sizeof buffer - 1] = '\0';
  return std::atoi(buffer) == 411 ? Language::kJapanese : Language::kEnglish;
}
