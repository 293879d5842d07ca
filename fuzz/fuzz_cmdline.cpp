// Arbitrary command lines (arguments separated by NUL bytes): the record follows each
// option, and whatever the arguments held, a save reads back without stray keys.
#include <cstdlib>

#include "fuzz/FuzzProfile.h"

namespace {

char Option(const std::string& strArg) {
    std::string_view s = strArg;
    if (!s.empty() && (s.front() == '/' || s.front() == '-')) s.remove_prefix(1);
    if (s.empty()) return 0;
    const char c = s.front();
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Value(const std::string& strArg) {
    const size_t nSkip = (!strArg.empty() && (strArg[0] == '/' || strArg[0] == '-')) ? 2 : 1;
    return strArg.size() > nSkip ? strArg.substr(nSkip) : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string strInput(reinterpret_cast<const char*>(pData), nSize);
    CTextProfile profile;
    CORXBootConfig config;
    config.Load(profile);

    size_t nPos = 0;
    while (nPos <= strInput.size()) {
        size_t nEnd = strInput.find('\0', nPos);
        if (nEnd == std::string::npos) nEnd = strInput.size();
        const std::string strArg = strInput.substr(nPos, nEnd - nPos);
        nPos = nEnd + 1;

        const int32_t nSerialBefore = config.m_nBootSerial;
        config.ParseParam(strArg);
        const std::string strValue = Value(strArg);
        switch (Option(strArg)) {
            case 'f':
                if (config.m_strBootFile != strValue) abort();
                break;
            case 'c':
                if (strValue.empty()
                        ? config.m_nBootSerial != 0
                        : (config.m_strComPort != strValue || config.m_nBootSerial != 1 ||
                           config.m_nComOpenAllPorts != 0))
                    abort();
                break;
            case 'b':
                if (config.m_nComBaud != IniParseInt(strValue)) abort();
                if (config.m_nBootSerial != (config.m_nComBaud == 0 ? 0 : nSerialBefore)) abort();
                break;
            case 'n':
                if (config.m_nBootNet != (strValue.empty() ? 1 : IniParseInt(strValue))) abort();
                break;
            default:
                break;
        }
    }

    config.Save(profile);
    CORXBootConfig back;
    back.Load(profile);
    if (!ReadsBackAs(config, back)) abort();
    return 0;
}
