#include "app/FlashApp.h"

bool CFlashApp::InitInstance() {
  instanceMutex_ = system_.CreateOwnedMutex("PreventSecondInstance");
  if (system_.LastError() == platform::kErrorAlreadyExists) return false;
  pages_.RunLicensePage();
  return false;
}
