#include "app/ProgressSchedule.h"

void RunProgressCycle(platform::Clock& clock, const CAtapi& atapi, ProgressWindow& window,
                      const std::string& text) {
  // Without a window the cycle still takes its time, so the polling of the
  // result is the same.
  window.Create(kProgressTitle, true);
  window.SetRange(0, kProgressSteps, 1);
  window.SetText(text);
  for (int step = 0; step < kProgressSteps; ++step) {
    if (atapi.UpdateResult() == RESULT_RUNNING) clock.SleepFor(kProgressStepMs);
    window.Step();
    window.PeekAndPump(true);
    if (window.Cancelled()) break;
  }
  window.Destroy();
}

uint8_t RunUpdateWithProgress(platform::Clock& clock, CAtapi& atapi, ProgressWindow& window,
                              const std::string& text, platform::ThreadRoutine worker) {
  atapi.SetUpdateResult(RESULT_RUNNING);
  platform::Handle thread = clock.StartThread(worker, &atapi);
  // Without a worker nothing was sent to the drive, and no result would ever
  // arrive to end the cycles.
  if (thread == nullptr) {
    atapi.SetUpdateResult(RESULT_NOT_STARTED);
    return RESULT_NOT_STARTED;
  }
  do {
    RunProgressCycle(clock, atapi, window, text);
  } while (atapi.UpdateResult() == RESULT_RUNNING);
  // The worker has only its return left; it is not waited for.
  clock.CloseHandle(thread);
  return atapi.UpdateResult();
}
