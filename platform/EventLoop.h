#pragma once
#include <functional>

// The UI thread's event loop (shared by the GUI and the headless face).
int RunEventLoop();
void QuitEventLoop(int nCode);
// Delivers what is already queued, without waiting.
void ProcessPendingEvents();
// Calls fn on the UI thread when SIGINT, SIGTERM or SIGHUP arrives: a server started over
// ssh gets SIGHUP when the connection drops, and must save its settings all the same.
void OnTerminationSignal(std::function<void()> fn);
