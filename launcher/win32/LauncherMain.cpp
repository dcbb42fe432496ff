// UpdaterK818R's start. The drive objects are built during static
// initialisation, the form's first, so each has scanned (and shown any
// message of its probe) before the flow decides anything.
#include "launcher/Atapiobj.h"
#include "launcher/Main.h"
#include "launcher/win32/MainWindow.h"
#include "platform/Platform.h"
#include "platform/ProgramMain.h"

namespace {

launcher::AspiProcessState g_Aspi(platform::System());
launcher::TAtapi g_MainAtapi(platform::System(), g_Aspi);  // serves the "Caution" form
launcher::TAtapi g_FlowAtapi(platform::System(), g_Aspi);  // serves the start-up flow

}  // namespace

int ProgramMain() {
  launcher::TMainW mainW(platform::System(), g_MainAtapi);
  return launcher::RunLauncher(platform::System(), g_FlowAtapi, mainW);
}
