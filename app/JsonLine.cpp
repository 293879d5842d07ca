#include "app/JsonLine.h"

#include <charconv>
#include <cstdio>

namespace {

// Length of the valid UTF-8 sequence at p (1 to 4), or 0 when none starts there.
size_t Utf8Length(std::string_view str, size_t i) {
    const auto by = [&](size_t k) { return static_cast<unsigned char>(str[i + k]); };
    const unsigned char c = by(0);
    size_t n = 0;
    uint32_t dwMin = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2, dwMin = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3, dwMin = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4, dwMin = 0x10000;
    else
        return 0;
    if (i + n > str.size()) return 0;
    uint32_t dwCode = c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        if ((by(k) & 0xC0) != 0x80) return 0;
        dwCode = dwCode << 6 | (by(k) & 0x3F);
    }
    const bool bSurrogate = dwCode >= 0xD800 && dwCode <= 0xDFFF;
    return dwCode < dwMin || dwCode > 0x10FFFF || bSurrogate ? 0 : n;
}

void AppendUtf8(std::string& str, uint32_t dwCode) {
    if (dwCode < 0x80) {
        str += static_cast<char>(dwCode);
    } else if (dwCode < 0x800) {
        str += static_cast<char>(0xC0 | dwCode >> 6);
        str += static_cast<char>(0x80 | (dwCode & 0x3F));
    } else if (dwCode < 0x10000) {
        str += static_cast<char>(0xE0 | dwCode >> 12);
        str += static_cast<char>(0x80 | (dwCode >> 6 & 0x3F));
        str += static_cast<char>(0x80 | (dwCode & 0x3F));
    } else {
        str += static_cast<char>(0xF0 | dwCode >> 18);
        str += static_cast<char>(0x80 | (dwCode >> 12 & 0x3F));
        str += static_cast<char>(0x80 | (dwCode >> 6 & 0x3F));
        str += static_cast<char>(0x80 | (dwCode & 0x3F));
    }
}

// The text as valid UTF-8: every byte that starts no valid sequence is taken as Latin-1.
std::string ValidUtf8(std::string_view str) {
    std::string strOut;
    strOut.reserve(str.size());
    for (size_t i = 0; i < str.size();) {
        const size_t n = Utf8Length(str, i);
        if (n == 0) {
            AppendUtf8(strOut, static_cast<unsigned char>(str[i++]));
        } else {
            strOut.append(str.substr(i, n));
            i += n;
        }
    }
    return strOut;
}

class CParser {
public:
    explicit CParser(std::string_view str) : m_str(str) {}

    std::optional<CJsonObject> Object() {
        CJsonObject obj;
        if (!Take('{')) return std::nullopt;
        if (!Take('}')) {
            do {
                std::optional<std::string> key = String();
                if (!key || !Take(':')) return std::nullopt;
                std::optional<CJsonValue> value = Value();
                if (!value) return std::nullopt;
                obj.AddRaw(std::move(*key), std::move(*value));
            } while (Take(','));
            if (!Take('}')) return std::nullopt;
        }
        SkipSpace();
        if (m_i != m_str.size()) return std::nullopt;
        return obj;
    }

private:
    void SkipSpace() {
        while (m_i < m_str.size() && (m_str[m_i] == ' ' || m_str[m_i] == '\t' ||
                                      m_str[m_i] == '\r' || m_str[m_i] == '\n'))
            ++m_i;
    }
    bool Take(char ch) {
        SkipSpace();
        if (m_i >= m_str.size() || m_str[m_i] != ch) return false;
        ++m_i;
        return true;
    }
    bool Word(std::string_view strWord) {
        if (m_str.substr(m_i, strWord.size()) != strWord) return false;
        m_i += strWord.size();
        return true;
    }

    std::optional<CJsonValue> Value() {
        SkipSpace();
        CJsonValue value;
        if (m_i >= m_str.size()) return std::nullopt;
        const char ch = m_str[m_i];
        if (ch == '"') {
            std::optional<std::string> str = String();
            if (!str) return std::nullopt;
            value.eKind = CJsonValue::EKind::String;
            value.strText = std::move(*str);
        } else if (Word("true") || Word("false")) {
            value.eKind = CJsonValue::EKind::Bool;
            value.strText = ch == 't' ? "true" : "false";
        } else if (!Word("null")) {
            return Number();
        }
        return value;
    }

    // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    std::optional<CJsonValue> Number() {
        const size_t nStart = m_i;
        const auto digits = [&] {
            const size_t nFrom = m_i;
            while (m_i < m_str.size() && m_str[m_i] >= '0' && m_str[m_i] <= '9') ++m_i;
            return m_i - nFrom;
        };
        if (m_i < m_str.size() && m_str[m_i] == '-') ++m_i;
        const size_t nInteger = digits();
        if (nInteger == 0 || (nInteger > 1 && m_str[m_i - nInteger] == '0')) return std::nullopt;
        if (m_i < m_str.size() && m_str[m_i] == '.') {
            ++m_i;
            if (digits() == 0) return std::nullopt;
        }
        if (m_i < m_str.size() && (m_str[m_i] == 'e' || m_str[m_i] == 'E')) {
            ++m_i;
            if (m_i < m_str.size() && (m_str[m_i] == '+' || m_str[m_i] == '-')) ++m_i;
            if (digits() == 0) return std::nullopt;
        }
        CJsonValue value;
        value.eKind = CJsonValue::EKind::Number;
        value.strText = std::string(m_str.substr(nStart, m_i - nStart));
        return value;
    }

    std::optional<uint32_t> Hex4() {
        if (m_i + 4 > m_str.size()) return std::nullopt;
        uint32_t dw = 0;
        const char* p = m_str.data() + m_i;
        const auto [pEnd, ec] = std::from_chars(p, p + 4, dw, 16);
        if (ec != std::errc() || pEnd != p + 4) return std::nullopt;
        m_i += 4;
        return dw;
    }

    std::optional<std::string> String() {
        if (!Take('"')) return std::nullopt;
        std::string strRaw;  // as written, escapes resolved; made valid UTF-8 at the end
        while (m_i < m_str.size()) {
            const char ch = m_str[m_i++];
            if (ch == '"') return ValidUtf8(strRaw);
            if (static_cast<unsigned char>(ch) < 0x20) return std::nullopt;
            if (ch != '\\') {
                strRaw += ch;
                continue;
            }
            if (m_i >= m_str.size()) return std::nullopt;
            const char chEscape = m_str[m_i++];
            static const std::string_view kFrom = "\"\\/bfnrt";
            static const std::string_view kTo = "\"\\/\b\f\n\r\t";
            if (const size_t k = kFrom.find(chEscape); k != std::string_view::npos) {
                strRaw += kTo[k];
                continue;
            }
            if (chEscape != 'u') return std::nullopt;
            std::optional<uint32_t> dwCode = Hex4();
            if (!dwCode) return std::nullopt;
            if (*dwCode >= 0xD800 && *dwCode <= 0xDBFF && Word("\\u")) {
                std::optional<uint32_t> dwLow = Hex4();
                if (!dwLow) return std::nullopt;
                if (*dwLow >= 0xDC00 && *dwLow <= 0xDFFF) {
                    *dwCode = 0x10000 + ((*dwCode - 0xD800) << 10) + (*dwLow - 0xDC00);
                } else {
                    AppendUtf8(strRaw, 0xFFFD);
                    *dwCode = *dwLow;
                }
            }
            // A surrogate without its other half stands for a character we cannot tell.
            AppendUtf8(strRaw, *dwCode >= 0xD800 && *dwCode <= 0xDFFF ? 0xFFFD : *dwCode);
        }
        return std::nullopt;
    }

    std::string_view m_str;
    size_t m_i = 0;
};

}  // namespace

std::string JsonText(std::string_view str) {
    std::string strOut = "\"";
    for (const char ch : ValidUtf8(str)) {
        if (ch == '"' || ch == '\\') {
            strOut += '\\';
            strOut += ch;
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            char sz[8];
            std::snprintf(sz, sizeof sz, "\\u%04x", static_cast<unsigned>(ch));
            strOut += sz;
        } else {
            strOut += ch;
        }
    }
    return strOut + "\"";
}

CJsonObject& CJsonObject::Add(std::string strKey, std::string strValue) {
    return AddRaw(std::move(strKey), {CJsonValue::EKind::String, std::move(strValue)});
}

CJsonObject& CJsonObject::Add(std::string strKey, const char* pszValue) {
    return Add(std::move(strKey), std::string(pszValue));
}

CJsonObject& CJsonObject::Add(std::string strKey, uint64_t nValue) {
    return AddRaw(std::move(strKey), {CJsonValue::EKind::Number, std::to_string(nValue)});
}

CJsonObject& CJsonObject::AddBool(std::string strKey, bool bValue) {
    return AddRaw(std::move(strKey), {CJsonValue::EKind::Bool, bValue ? "true" : "false"});
}

CJsonObject& CJsonObject::AddText(std::string strKey, std::string strValue) {
    if (strValue.empty()) return AddRaw(std::move(strKey), {});
    return Add(std::move(strKey), std::move(strValue));
}

CJsonObject& CJsonObject::AddRaw(std::string strKey, CJsonValue value) {
    m_members.emplace_back(std::move(strKey), std::move(value));
    return *this;
}

std::string CJsonObject::Line() const {
    std::string str = "{";
    for (const auto& [strKey, value] : m_members) {
        if (str.size() > 1) str += ", ";
        str += JsonText(strKey) + ": ";
        switch (value.eKind) {
            case CJsonValue::EKind::Null:
                str += "null";
                break;
            case CJsonValue::EKind::String:
                str += JsonText(value.strText);
                break;
            default:
                str += value.strText;
        }
    }
    return str + "}";
}

const CJsonValue* CJsonObject::Find(std::string_view strKey) const {
    for (const auto& member : m_members)
        if (member.first == strKey) return &member.second;
    return nullptr;
}

std::string CJsonObject::Text(std::string_view strKey) const {
    const CJsonValue* pValue = Find(strKey);
    return pValue && pValue->eKind == CJsonValue::EKind::String ? pValue->strText : std::string();
}

std::optional<uint64_t> CJsonObject::Count(std::string_view strKey) const {
    const CJsonValue* pValue = Find(strKey);
    if (!pValue || pValue->eKind != CJsonValue::EKind::Number) return std::nullopt;
    uint64_t n = 0;
    const std::string& str = pValue->strText;
    const auto [pEnd, ec] = std::from_chars(str.data(), str.data() + str.size(), n);
    if (ec != std::errc() || pEnd != str.data() + str.size()) return std::nullopt;
    return n;
}

std::optional<CJsonObject> ParseJsonObject(std::string_view strLine) {
    return CParser(strLine).Object();
}
