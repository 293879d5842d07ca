#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// What the terminal shows for raw bytes from a port: CR and LF as line breaks,
// backspace dropped, other control bytes as "{1B}".
std::string TerminalDisplayText(const uint8_t* p, size_t n);
