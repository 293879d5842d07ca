#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// What the terminal shows for one chunk of bytes from a port: CR, LF and CR LF each end a
// line ("\n"), TAB and printable ASCII stay, backspace is dropped, and every other byte is
// shown as "{XX}" (two upper-case hex digits), bytes 128 to 255 included.
std::string TerminalDisplayText(const uint8_t* p, size_t n);

// The same for a stream of chunks: bAfterCr carries whether the previous chunk ended in CR,
// so that a CR LF pair split over two chunks (bytes are often posted one at a time) is one
// line break. Start with false.
std::string TerminalDisplayText(const uint8_t* p, size_t n, bool& bAfterCr);

// Text from the network (a unit's or a server's name) or a name the user gave, made safe to
// show anywhere: every byte that is not printable ASCII becomes '?', so no terminal control
// and no line break gets through.
std::string PrintableText(const uint8_t* p, size_t n);
std::string PrintableText(const std::string& str);

// A log line shown on a terminal: control bytes as "{XX}" so none acts on the terminal,
// every other byte as it is (a UTF-8 path stays readable).
std::string ControlBytesShown(const std::string& str);
