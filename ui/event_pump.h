// The event loop, the quit request and the pump that lets a long decode
// handle pending input.
#pragma once

#include <chrono>
#include <cstddef>

namespace ui {

// Set once, just before the event loop starts; never reset. The quit
// request is raised only while it is true.
extern bool eventLoopStarted;

// Asks the event loop to end with the code. It waits behind the events
// already queued, and no pump call ever takes it. Ignored until the event
// loop has started; a second request changes nothing.
void RaiseQuitRequest(int exitCode);

// Runs until it takes the quit request; returns the request's exit code.
int RunEventLoop();

namespace pump_detail {
inline constexpr int kCallsPerClockCheck = 4096;
inline int callsUntilClockCheck = 1;
void LookIfDue();
// Whether a quit request waits for the event loop; for the tests.
bool QuitRequestPending();
}  // namespace pump_detail

// Handles every pending event, also those that arrive while it runs, and
// returns without waiting. It stands for `groups` calls in a row: the
// decoder tells it of every group it decodes, a whole block of them at
// once, so the toolkit is asked only when enough time has passed since the
// last look: counting calls is nearly free, reading the clock less so, and
// asking the toolkit costs microseconds. Once the quit request is pending it
// returns at once and leaves the request for the event loop.
inline void ProcessPendingInput(std::size_t groups = 1) {
  using pump_detail::callsUntilClockCheck;
  while (groups >= static_cast<std::size_t>(callsUntilClockCheck)) {
    groups -= static_cast<std::size_t>(callsUntilClockCheck);
    callsUntilClockCheck = 0;
    pump_detail::LookIfDue();  // sets the count afresh, also after nested pumps
  }
  callsUntilClockCheck -= static_cast<int>(groups);
}

// How long the pump lets pass between two looks at the toolkit; long enough
// to cost nothing, short enough that input during a decode feels immediate.
void SetPumpLookInterval(std::chrono::microseconds interval);

}  // namespace ui
