#pragma once
#include <string>

// Single-instance rule: false when another process holds the named lock.
// The lock lives in $XDG_RUNTIME_DIR (else /tmp) and goes away with the process.
bool AcquireInstanceLock(const std::string& strName);
