#include "app/UpdateWorker.h"

#include "transport/Atapi.h"

uint32_t UpdateWorker(void* parameter) {
  CAtapi& atapi = *static_cast<CAtapi*>(parameter);
  const bool verified = atapi.RunUpdate();
  // The engine names only its two rejections. Any other false return means
  // the flash was not proven good, and the user interface waits for a final
  // value: it must not be read as a success.
  if (atapi.UpdateResult() == RESULT_RUNNING) {
    atapi.SetUpdateResult(verified ? RESULT_FINISHED : RESULT_FLASH_FAILED);
  }
  return 0;
}
