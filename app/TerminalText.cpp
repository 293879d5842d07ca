#include "app/TerminalText.h"

std::string TerminalDisplayText(const uint8_t* p, size_t n) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t c = p[i];
        if (c == '\r') {
            // CR LF is one line break, so is a lone CR.
            if (i + 1 < n && p[i + 1] == '\n') ++i;
            out += '\n';
        } else if (c == '\n') {
            out += '\n';
        } else if (c == '\b') {
        } else if (c < 0x20 || c == 0x7F) {
            out += '{';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
            out += '}';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
