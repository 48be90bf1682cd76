#pragma once

#include <chrono>

// Ctrl+C (SIGINT) and SIGTERM as a request to stop: the long-running commands end at the next
// station, and the port is closed as on any other exit.
namespace kt::cli {

// Routes Ctrl+C to requestStop(): SIGINT on Linux, the console's control handler on Windows.
// Each platform has its own implementation.
void catchStopRequests();

void requestStop();
bool stopRequested();

// Waits `duration`, or less when a stop is requested meanwhile. False on a stop.
bool pauseUnlessStopped(std::chrono::milliseconds duration);

}  // namespace kt::cli
