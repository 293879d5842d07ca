#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Private-profile text as pure functions: no files, no state.
// Section and key names are compared without case (ASCII); values are read trimmed of
// surrounding blanks; a lookup uses the first matching section and, in it, the first
// matching key. Lines that are not sections or keys, and lines starting with ';', are
// comments and are kept byte for byte by every write.

// The value of the key; false when the section or the key is missing.
bool IniFindValue(std::string_view text, std::string_view section, std::string_view key,
                  std::string& strValue);

// Stores the value: replaces the key's line in place, or adds the key after the last key
// of its section, or adds the section at the end. New lines use the text's own line ending
// (CR LF when its first line ends so, else LF). A value is stored up to its first line
// feed, since the rest cannot be read back as part of it. False (nothing changed, last
// error EINVAL) when the section or key name could not be read back as given.
bool IniWriteValue(std::string& strText, std::string_view section, std::string_view key,
                   std::string_view value);

// What reading a key returns after writing this value to it.
std::string IniStoredValue(std::string_view value);

// The number formed by the leading digits after blanks and one optional sign; 0 when
// there are none. Wraps modulo 2^32, so an address stored unsigned reads as the same bits.
int32_t IniParseInt(std::string_view text);
