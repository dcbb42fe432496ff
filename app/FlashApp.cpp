#include "app/FlashApp.h"

bool CFlashApp::InitInstance() {
  instanceMutex_ = os_.CreateOwnedMutex("PreventSecondInstance");
  if (os_.LastError() == platform::kErrorAlreadyExists) return false;
  pages_.RunLicensePage();
  return false;
}
