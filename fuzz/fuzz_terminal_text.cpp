// Any bytes shown in the terminal: no raw control byte reaches the screen.
#include <cstdlib>

#include "base/TerminalText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string str = TerminalDisplayText(pData, nSize);
    if (str.size() > 4 * nSize) std::abort();
    for (const uint8_t b : str)
        if (b != '\n' && b != '\t' && (b < 0x20 || b >= 0x7F)) std::abort();
    return 0;
}
