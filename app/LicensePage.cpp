#include "app/LicensePage.h"

#include "app/Language.h"
#include "app/ResourceIds.h"

void LicensePage::Open() {
  language_ = DetectLanguage(os_);
  versionMenuText_ = LoadMessage(os_, kVersionMenuTextId);
}

bool LicensePage::PassGate() {
  return CheckOsSupport(os_, language_, record_);
}

void LicensePage::LoadTexts() {
  const unsigned id = language_ == Language::kJapanese ? IDR_LICENSE_JAPANESE : IDR_LICENSE_ENGLISH;
  uint32_t size = 0;
  const uint8_t* bytes = os_.ResourceBytes("LICENSE", id, &size);
  if (bytes == nullptr) return;
  // The resource has no zero of its own; its size is its length.
  licenseText_.assign(reinterpret_cast<const char*>(bytes), size);
  promptText_ = LoadMessage(os_, Pick(Message::LicencePrompt, language_));
}
