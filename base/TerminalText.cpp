#include "base/TerminalText.h"

namespace {
const char kHex[] = "0123456789ABCDEF";

void AppendHex(std::string& str, uint8_t b) {
    str += '{';
    str += kHex[b >> 4];
    str += kHex[b & 0xF];
    str += '}';
}
}  // namespace

std::string TerminalDisplayText(const uint8_t* p, size_t n) {
    std::string str;
    str.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = p[i];
        if (b == '\r') {
            str += '\n';
            if (i + 1 < n && p[i + 1] == '\n') ++i;  // CR LF is one line break
        } else if (b == '\n' || b == '\t' || (b >= 0x20 && b < 0x7F)) {
            str += static_cast<char>(b);
        } else if (b != '\b') {
            AppendHex(str, b);
        }
    }
    return str;
}

std::string TerminalDisplayText(const uint8_t* p, size_t n, bool& bAfterCr) {
    if (n == 0) return {};
    const size_t nSkip = bAfterCr && p[0] == '\n' ? 1 : 0;
    bAfterCr = p[n - 1] == '\r';
    return TerminalDisplayText(p + nSkip, n - nSkip);
}

std::string PrintableText(const uint8_t* p, size_t n) {
    std::string str(n, '?');
    for (size_t i = 0; i < n; ++i) {
        if (p[i] >= 0x20 && p[i] < 0x7F) str[i] = static_cast<char>(p[i]);
    }
    return str;
}

std::string PrintableText(const std::string& str) {
    return PrintableText(reinterpret_cast<const uint8_t*>(str.data()), str.size());
}

std::string ControlBytesShown(const std::string& str) {
    std::string out;
    out.reserve(str.size());
    for (const char c : str) {
        const auto b = static_cast<uint8_t>(c);
        if (b < 0x20 || b == 0x7F)
            AppendHex(out, b);
        else
            out += c;
    }
    return out;
}
