#pragma once
#include <functional>

// The UI thread's event loop (shared by the GUI and the headless face).
int RunEventLoop();
void QuitEventLoop(int nCode);
// Delivers what is already queued, without waiting.
void ProcessPendingEvents();
// Calls fn on the UI thread when SIGINT, SIGTERM or SIGHUP arrives: a server started over
// ssh gets SIGHUP when the connection drops, and must save its settings all the same. With
// bBrokenPipeEnds, a write to a closed pipe (ssh without a terminal, a log piped to a tool
// that ended) ends the run the same way; otherwise it is ignored.
void OnTerminationSignal(std::function<void()> fn, bool bBrokenPipeEnds = false);
