#include "base/FormatText.h"

#include <cstdio>

#include "platform/LastError.h"

std::string FormatV(const char* pszFormat, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n <= 0) return {};
    std::string str(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(str.data(), str.size(), pszFormat, args);
    str.resize(static_cast<size_t>(n));
    return str;
}

std::string FormatErrorText(uint32_t dwCode) {
    if (dwCode == 0) return "No Error Code";
    std::string strText = SystemErrorText(dwCode);
    if (strText.empty()) strText = "Error Code:";
    return strText + " (" + std::to_string(static_cast<int32_t>(dwCode)) + ")";
}

std::string FormatErrorText(uint32_t dwCode, const std::string& strWords) {
    if (strWords.empty()) return FormatErrorText(dwCode);
    return strWords + " (" + std::to_string(static_cast<int32_t>(dwCode)) + ")";
}
