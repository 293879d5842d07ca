// Arbitrary settings text: everything the record understood survives a save and a reload,
// a second save changes nothing, and lines the record does not own are left alone.
#include <cstdlib>

#include "fuzz/FuzzProfile.h"

namespace {

// Keys no save touches; their values must not move.
const char* const kProbes[][2] = {{"PARAMS", "X"}, {"OTHER", "BOOTNET"}, {"params", "BOOTFILE16"}};

struct CProbe {
    bool bFound;
    std::string strValue;
    bool operator==(const CProbe&) const = default;
};

CProbe Probe(const std::string& strText, const char* pszSection, const char* pszKey) {
    CProbe p{false, {}};
    p.bFound = IniFindValue(strText, pszSection, pszKey, p.strValue);
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    CTextProfile profile(strText);
    CORXBootConfig first;
    first.Load(profile);
    first.Save(profile);

    CORXBootConfig second;
    second.Load(profile);
    if (!ReadsBackAs(first, second)) abort();

    const std::string strSaved = profile.m_strText;
    second.Save(profile);
    if (profile.m_strText != strSaved) abort();

    for (const auto& probe : kProbes)
        if (!(Probe(strText, probe[0], probe[1]) == Probe(strSaved, probe[0], probe[1]))) abort();

    // A value taken from the input itself reads back as stored, next to a key it must not move.
    std::string strEdited = strText;
    const std::string strValue = strText.substr(0, strText.size() / 2);
    const CProbe before = Probe(strEdited, "PARAMS", "X");
    if (!IniWriteValue(strEdited, "params", "NewKey", strValue)) abort();
    std::string strRead;
    if (!IniFindValue(strEdited, "PARAMS", "NEWKEY", strRead) ||
        strRead != IniStoredValue(strValue))
        abort();
    if (!(Probe(strEdited, "PARAMS", "X") == before)) abort();
    return 0;
}
