#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A record header as it lies in the image: address, length, checksum (little-endian),
// followed by the record's data. Seen in place, never copied.
class CTransferFileRecInfo {
public:
    explicit CTransferFileRecInfo(const uint8_t* pHeader) : m_pHeader(pHeader) {}
    uint32_t Address() const { return Field(0); }
    uint32_t Length() const { return Field(4); }
    uint32_t Checksum() const { return Field(8); }
    const uint8_t* Header() const { return m_pHeader; }
    const uint8_t* Data() const { return m_pHeader + kHeaderSize; }
    static constexpr uint32_t kHeaderSize = 12;

private:
    uint32_t Field(int nOffset) const {
        const uint8_t* p = m_pHeader + nOffset;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    const uint8_t* m_pHeader;
};

// The boot image, read whole into one buffer at every start of the servers.
class CTransferFile {
public:
    static constexpr uint32_t kImageHeaderSize = 15;

    // On false the last error tells why. A file that cannot be opened leaves the
    // recent list (its first entry equal to the path, ignoring case).
    bool Load(const std::string& strPath, std::vector<std::string>* pRecentFiles);
    // Why the last Load refused what it found (last error 1305) in words: "not a boot image:
    // the file does not start with B000FF"; empty after any other outcome.
    const std::string& RefusedBecause() const { return m_strRefused; }
    void Unload();

    const uint8_t* Data() const { return m_pData.get(); }
    uint32_t Length() const { return m_nLength; }
    // SHA-256 of the loaded file in hexadecimal, empty when unloaded. Taken on first use and
    // kept for the load: the checks of a chosen file never need it.
    const std::string& Sha256() const;

    // Records in ascending load address, end record last; built once per load,
    // safe to call from several serial threads at once.
    bool BuildRecordIndex();
    size_t RecordCount() const { return m_arrIndex.size(); }
    const CTransferFileRecInfo& Record(size_t i) const { return m_arrIndex[i]; }

private:
    void InsertRecordSorted(CTransferFileRecInfo rec);

    std::unique_ptr<uint8_t[]> m_pData;
    uint32_t m_nLength = 0;
    mutable std::string m_strSha256;
    std::string m_strRefused;
    std::vector<CTransferFileRecInfo> m_arrIndex;
    std::mutex m_lockIndex;
};

// Index of the first entry equal to the text ignoring case, or -1.
int FindNoCase(const std::vector<std::string>& arrList, const std::string& str);
