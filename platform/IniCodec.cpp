#include "platform/IniCodec.h"

#include <cerrno>
#include <vector>

#include "platform/LastError.h"

namespace {

enum class ELineKind { Other, Section, Key };

struct CIniLine {
    size_t nStart = 0;  // first byte of the line
    size_t nEnd = 0;    // end of its content, before CR LF or LF
    size_t nNext = 0;   // first byte of the next line
    ELineKind kind = ELineKind::Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed
};

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

void Classify(std::string_view content, CIniLine& line) {
    const std::string_view s = Trim(content);
    if (s.empty() || s.front() == ';') return;
    if (s.front() == '[') {
        // The last ']' closes the name, as the Windows loader reads it; without one the
        // line is no header and the keys below stay in the section above.
        const size_t nClose = s.rfind(']');
        if (nClose == std::string_view::npos) return;
        line.kind = ELineKind::Section;
        line.name = Trim(s.substr(1, nClose - 1));
        return;
    }
    const size_t nEq = s.find('=');
    if (nEq == std::string_view::npos) return;
    line.kind = ELineKind::Key;
    line.name = Trim(s.substr(0, nEq));
    line.value = Trim(s.substr(nEq + 1));
}

std::vector<CIniLine> SplitLines(std::string_view text) {
    std::vector<CIniLine> lines;
    size_t nPos = text.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
    while (nPos < text.size()) {
        CIniLine line;
        line.nStart = nPos;
        const size_t nLf = text.find('\n', nPos);
        if (nLf == std::string_view::npos) {
            line.nEnd = line.nNext = text.size();
        } else {
            line.nNext = nLf + 1;
            line.nEnd = (nLf > nPos && text[nLf - 1] == '\r') ? nLf - 1 : nLf;
        }
        Classify(text.substr(line.nStart, line.nEnd - line.nStart), line);
        lines.push_back(line);
        nPos = line.nNext;
    }
    return lines;
}

// Index of the first section header with the name, or lines.size().
size_t FindSection(const std::vector<CIniLine>& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == ELineKind::Section && EqualNoCase(lines[i].name, section)) return i;
    return lines.size();
}

// One past the last line of the section that starts at the header nHeader.
size_t SectionEnd(const std::vector<CIniLine>& lines, size_t nHeader) {
    size_t i = nHeader + 1;
    while (i < lines.size() && lines[i].kind != ELineKind::Section) ++i;
    return i;
}

std::string_view LineEnding(std::string_view text) {
    const size_t nLf = text.find('\n');
    return (nLf != std::string_view::npos && nLf > 0 && text[nLf - 1] == '\r') ? "\r\n" : "\n";
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

bool IsValidSectionName(std::string_view s) {
    return !s.empty() && !HasLineBreak(s) && Trim(s) == s && s.find(']') == std::string_view::npos;
}

bool IsValidKeyName(std::string_view s) {
    return !s.empty() && !HasLineBreak(s) && Trim(s) == s &&
           s.find('=') == std::string_view::npos && s.front() != ';' && s.front() != '[';
}

}  // namespace

bool IniFindValue(std::string_view text, std::string_view section, std::string_view key,
                  std::string& strValue) {
    const std::vector<CIniLine> lines = SplitLines(text);
    const size_t nHeader = FindSection(lines, section);
    if (nHeader == lines.size()) return false;
    const size_t nEnd = SectionEnd(lines, nHeader);
    for (size_t i = nHeader + 1; i < nEnd; ++i) {
        if (lines[i].kind == ELineKind::Key && EqualNoCase(lines[i].name, key)) {
            strValue.assign(lines[i].value);
            return true;
        }
    }
    return false;
}

bool IniWriteValue(std::string& strText, std::string_view section, std::string_view key,
                   std::string_view value) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key)) {
        SetLastError(EINVAL);
        return false;
    }
    const size_t nLf = value.find('\n');
    if (nLf != std::string_view::npos) value = value.substr(0, nLf);
    const std::string_view eol = LineEnding(strText);
    const std::vector<CIniLine> lines = SplitLines(strText);

    const size_t nHeader = FindSection(lines, section);
    if (nHeader == lines.size()) {
        std::string strAdd;
        if (!lines.empty()) {
            const CIniLine& last = lines.back();
            if (last.nNext == last.nEnd) strAdd += eol;  // no line ending yet
            // A blank line between sections, unless the text already ends with one.
            if (last.nEnd != last.nStart) strAdd += eol;
        }
        strAdd.append("[").append(section).append("]").append(eol);
        strAdd.append(key).append("=").append(value).append(eol);
        strText += strAdd;
        return true;
    }

    const size_t nEnd = SectionEnd(lines, nHeader);
    size_t nLastKey = nHeader;
    for (size_t i = nHeader + 1; i < nEnd; ++i) {
        if (lines[i].kind != ELineKind::Key) continue;
        if (EqualNoCase(lines[i].name, key)) {
            // The file's spelling of the key stays; the indent and blanks around '=' go.
            std::string strLine(lines[i].name);
            strLine.append("=").append(value);
            strText.replace(lines[i].nStart, lines[i].nEnd - lines[i].nStart, strLine);
            return true;
        }
        nLastKey = i;
    }

    const CIniLine& after = lines[nLastKey];
    std::string strAdd;
    if (after.nNext == after.nEnd) strAdd += eol;  // the last line had no line ending
    strAdd.append(key).append("=").append(value).append(eol);
    strText.insert(after.nNext, strAdd);
    return true;
}

std::string IniStoredValue(std::string_view value) {
    const size_t nLf = value.find('\n');
    if (nLf != std::string_view::npos) value = value.substr(0, nLf);
    return std::string(Trim(value));
}

int32_t IniParseInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool bNegative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        bNegative = text[i] == '-';
        ++i;
    }
    uint32_t dwValue = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        dwValue = dwValue * 10u + static_cast<uint32_t>(text[i] - '0');
    if (bNegative) dwValue = 0u - dwValue;
    return static_cast<int32_t>(dwValue);
}
