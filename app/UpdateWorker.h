// The thread that runs the firmware engine while the user-interface thread
// shows progress.
#pragma once

#include <cstdint>

// Thread routine; its parameter is the drive object. Leaves a final update
// result in it (never RESULT_RUNNING) and returns 0.
uint32_t UpdateWorker(void* atapi);
