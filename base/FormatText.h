#pragma once
// Texts made printf-style, and the text of a platform error code.
#include <cstdarg>
#include <cstdint>
#include <string>

#define ORX_PRINTF(f, a) __attribute__((format(printf, f, a)))

std::string FormatV(const char* pszFormat, va_list args);

// Text of a platform error code, as shown to the user: "No Error Code" for 0, else the
// system's text (or "Error Code:") and the code in parentheses.
std::string FormatErrorText(uint32_t dwCode);
// The same with our own words for the code, where we have them (strWords not empty).
std::string FormatErrorText(uint32_t dwCode, const std::string& strWords);
