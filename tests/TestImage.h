#pragma once
// A test's own temporary folder and environment, boot image files written into it, bytes
// from text, what a program writes to a stream, and addresses written as text.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Socket.h"

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

// Sets an environment variable while it lives (nullopt: unsets it), then puts it back.
class CScopedEnv {
public:
    CScopedEnv(const char* pszName, const std::optional<std::string>& value) : m_pszName(pszName) {
        if (const char* psz = std::getenv(pszName)) m_old = psz;
        Set(value);
    }
    ~CScopedEnv() { Set(m_old); }
    void Set(const std::optional<std::string>& value) const {
        if (value)
            setenv(m_pszName, value->c_str(), 1);
        else
            unsetenv(m_pszName);
    }

private:
    const char* m_pszName;
    std::optional<std::string> m_old;
};

inline std::string WriteFile(const std::string& strPath, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(strPath.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return strPath;
}

inline std::vector<uint8_t> Bytes(const std::string& str) {
    return {str.begin(), str.end()};
}

// A signed image of the given total length with a recognisable byte pattern.
inline std::vector<uint8_t> MakeImageBytes(size_t nLength) {
    std::vector<uint8_t> bytes(nLength);
    const char kSig[] = "B000FF\n";
    for (size_t i = 0; i < nLength; ++i) bytes[i] = i < 7 ? kSig[i] : uint8_t(i * 7 + 3);
    return bytes;
}

struct CStream {
    ~CStream() {
        std::fclose(m_pFile);
        std::free(m_pBuf);
    }
    std::string Text() {
        std::fflush(m_pFile);
        return std::string(m_pBuf, m_nSize);
    }
    char* m_pBuf = nullptr;
    size_t m_nSize = 0;
    std::FILE* m_pFile = open_memstream(&m_pBuf, &m_nSize);  // after the two it fills
};

// A dotted address in network byte order; 0 when the text is not one.
inline uint32_t Addr(const std::string& strDotted) {
    uint32_t dw = 0;
    ParseDottedAddress(strDotted, dw);
    return dw;
}
