// The time-based progress of an update run: the worker reports nothing but
// its final result, so the user-interface thread fills a bar in 80 steps of
// half a second and opens a new window each time one fills up, until the
// result is in.
#pragma once

#include <cstdint>
#include <string>

#include "app/ProgressWindow.h"
#include "app/UpdateWorker.h"
#include "platform/Platform.h"
#include "transport/Atapi.h"

constexpr int kProgressSteps = 80;
constexpr uint32_t kProgressStepMs = 500;
constexpr const char* kProgressTitle = "Updating ...";

// One window's life: created, stepped (sleeping only while the result is
// not final), ended early by a cancel, destroyed.
void RunProgressCycle(platform::Clock& clock, const CAtapi& atapi, ProgressWindow& window,
                      const std::string& text);

// Starts `worker` on `atapi` and runs cycles until the result is final;
// returns that result. A cancel only closes the current window: the worker
// goes on and the next cycle opens a fresh one.
uint8_t RunUpdateWithProgress(platform::Clock& clock, CAtapi& atapi, ProgressWindow& window,
                              const std::string& text,
                              platform::ThreadRoutine worker = UpdateWorker);
