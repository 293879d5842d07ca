#pragma once
// One JSON object on one line, flat: every value a string, a number, true, false or null.
// The boot history and the event stream are made of these; scripts read them with any JSON
// parser, and we read our own back with ParseJsonObject.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct CJsonValue {
    enum class EKind { Null, Bool, Number, String };
    EKind eKind = EKind::Null;
    std::string strText;  // a string's text (UTF-8), a number as written, "true" or "false"
};

class CJsonObject {
public:
    // Members keep the order they are added in.
    CJsonObject& Add(std::string strKey, std::string strValue);
    CJsonObject& Add(std::string strKey, const char* pszValue);
    CJsonObject& Add(std::string strKey, uint64_t nValue);
    CJsonObject& AddBool(std::string strKey, bool bValue);
    // A text that may be unknown: null when empty.
    CJsonObject& AddText(std::string strKey, std::string strValue);
    CJsonObject& AddRaw(std::string strKey, CJsonValue value);
    // One line, without its line end.
    std::string Line() const;

    const std::vector<std::pair<std::string, CJsonValue>>& Members() const { return m_members; }
    // The first member of that name.
    const CJsonValue* Find(std::string_view strKey) const;
    // A string member's text; "" when it is missing or not a string.
    std::string Text(std::string_view strKey) const;
    // A member that is a whole number from 0 up.
    std::optional<uint64_t> Count(std::string_view strKey) const;

private:
    std::vector<std::pair<std::string, CJsonValue>> m_members;
};

// The quoted, escaped string. Bytes that are not UTF-8 (a path in another encoding) are
// read as Latin-1, so the output is always valid UTF-8.
std::string JsonText(std::string_view str);

// A line holding one flat object and nothing else but white space; nothing when it is
// anything else (torn, nested, not JSON). Strings come out as valid UTF-8.
std::optional<CJsonObject> ParseJsonObject(std::string_view strLine);
