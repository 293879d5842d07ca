#pragma once
// Boot image files written by a test into its own temporary folder.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class CTempDir {
public:
    CTempDir() {
        char szTemplate[] = "/tmp/orxtest-XXXXXX";
        m_strPath = mkdtemp(szTemplate);
    }
    ~CTempDir() { std::filesystem::remove_all(m_strPath); }
    std::string Path(const std::string& strName) const { return m_strPath + "/" + strName; }
    const std::string& Root() const { return m_strPath; }

private:
    std::string m_strPath;
};

inline std::string WriteFile(const std::string& strPath, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(strPath.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return strPath;
}

// A signed image of the given total length with a recognisable byte pattern.
inline std::vector<uint8_t> MakeImageBytes(size_t nLength) {
    std::vector<uint8_t> bytes(nLength);
    const char kSig[] = "B000FF\n";
    for (size_t i = 0; i < nLength; ++i) bytes[i] = i < 7 ? kSig[i] : uint8_t(i * 7 + 3);
    return bytes;
}
