#include "app/AppBoxes.h"

std::string ApplicationTitle(platform::Programs& program) {
  char path[260] = {};
  const unsigned length = program.ProgramPath(path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  std::string name(path, length);
  const size_t folder = name.find_last_of("\\/:");
  if (folder != std::string::npos) name.erase(0, folder + 1);
  const size_t extension = name.rfind('.');
  if (extension != std::string::npos) name.erase(extension);
  return name;
}

int ShowApplicationBox(platform::Platform& os, const std::string& text, unsigned style) {
  return os.ShowOwnedMessageBox(text.c_str(), ApplicationTitle(os).c_str(), style);
}

int ShowPlainBox(platform::Screen& screen, const std::string& text, const char* caption,
                 unsigned style) {
  return screen.ShowMessageBox(text.c_str(), caption, style);
}
