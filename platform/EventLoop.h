#pragma once
#include <functional>

// The UI thread's event loop (shared by the GUI and the headless face).
int RunEventLoop();
void QuitEventLoop(int nCode);
// Delivers what is already queued, without waiting.
void ProcessPendingEvents();
// Calls fn on the UI thread when SIGINT or SIGTERM arrives.
void OnTerminationSignal(std::function<void()> fn);
