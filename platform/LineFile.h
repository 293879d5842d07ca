#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A file that only grows by whole lines, for records that must outlive a crash: each line
// goes to the file in one write, Sync puts what was written on the disk, and a line torn
// by a crash is ended before the next one goes in, so it spoils only itself. One writer.
class CLineFile {
public:
    CLineFile() = default;
    ~CLineFile();
    CLineFile(const CLineFile&) = delete;
    CLineFile& operator=(const CLineFile&) = delete;

    // Opens for appending, making the file and its folders (for the user only) when they
    // are not there. False with the last error set.
    bool Open(const std::string& strPath);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    // The line (without its line end) and a line end, in one write.
    bool Append(const std::string& strLine);
    bool Sync();
    uint64_t Size() const { return m_nSize; }

private:
    int m_fd = -1;
    uint64_t m_nSize = 0;
};

// The whole lines of a file, without their line ends; what follows the last line end (a
// line torn by a crash) is left out. A missing file has none. False with the last error
// set when the file is there but cannot be read.
bool ReadLines(const std::string& strPath, std::vector<std::string>& arrLines);

// strPath becomes strPath.1, strPath.1 becomes strPath.2 and so on up to strPath.<nKeep>;
// the oldest goes. False with the last error set when a rename fails.
bool RotateFiles(const std::string& strPath, int nKeep);
