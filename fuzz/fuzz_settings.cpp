// Arbitrary settings text, then after the first NUL byte command-line arguments separated by
// NUL bytes: everything the record holds survives a save and a reload, a second save changes
// nothing, and lines the record does not own are left alone, whatever the arguments held.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/TextProfile.h"
#include "tests/ConfigSnapshot.h"

namespace {

// Keys no save touches; their values must not move.
const char* const kProbes[][2] = {{"PARAMS", "X"}, {"OTHER", "BOOTNET"}, {"params", "BOOTFILE16"}};

// Whether the key is there, and its value.
std::pair<bool, std::string> Probe(const std::string& strText, const char* pszSection,
                                   const char* pszKey) {
    std::string str;  // a braced list runs left to right: the lookup fills str first
    return {IniFindValue(strText, pszSection, pszKey, str), str};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string strInput(reinterpret_cast<const char*>(pData), nSize);
    const size_t nArgs = std::min(strInput.find('\0'), strInput.size());
    const std::string strText = strInput.substr(0, nArgs);
    CTextProfile profile(strText);
    CORXBootConfig first;
    first.Load(profile);
    for (size_t nPos = nArgs + 1; nPos <= strInput.size();) {
        const size_t nEnd = std::min(strInput.find('\0', nPos), strInput.size());
        first.ParseParam(strInput.substr(nPos, nEnd - nPos));
        nPos = nEnd + 1;
    }
    first.Save(profile);

    CORXBootConfig second;
    second.Load(profile);
    if (!(Snap(second) == Stored(Snap(first)))) abort();

    // Saving what was read back is stable (an argument may still hold blanks the file drops).
    const std::string strSaved = profile.m_strText;
    second.Save(profile);
    const std::string strResaved = profile.m_strText;
    CORXBootConfig third;
    third.Load(profile);
    third.Save(profile);
    if (profile.m_strText != strResaved) abort();

    for (const auto& probe : kProbes)
        if (!(Probe(strText, probe[0], probe[1]) == Probe(strSaved, probe[0], probe[1]))) abort();

    // A value taken from the input itself reads back as stored, next to a key it must not move.
    std::string strEdited = strText;
    const std::string strValue = strInput.substr(0, strInput.size() / 2);
    const auto before = Probe(strEdited, "PARAMS", "X");
    if (!IniWriteValue(strEdited, "params", "NewKey", strValue)) abort();
    std::string strRead;
    if (!IniFindValue(strEdited, "PARAMS", "NEWKEY", strRead) ||
        strRead != IniStoredValue(strValue))
        abort();
    if (!(Probe(strEdited, "PARAMS", "X") == before)) abort();
    return 0;
}
