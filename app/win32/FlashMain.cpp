#include "app/FlashApp.h"
#include "app/Globals.h"
#include "app/win32/WindowPages.h"
#include "platform/ProgramMain.h"

// The drive object has scanned during static initialisation; the pages
// follow. The exit code carries no meaning.
int ProgramMain() {
  platform::Platform& os = platform::System();
  WindowPages pages(os, g_Atapi);
  CFlashApp app(os, pages);
  app.InitInstance();
  return 0;
}
