#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/BootRecord.h"
#include "platform/LineFile.h"

// What the history holds, oldest first, across its kept files.
struct CHistoryContents {
    std::vector<CBootRecord> arrRecords;
    size_t nSkipped = 0;   // lines that are no record (torn by a crash, edited by hand)
    std::string strError;  // why a file could not be read; empty when all were
};

// The history file's path in a folder, and everything kept there.
std::string HistoryPath(const std::string& strFolder);
CHistoryContents ReadHistory(const std::string& strFolder);

// The boot history: one JSON line per transfer in <folder>/history.jsonl. Each record is
// appended in one write and synced to the disk by a thread of the history's own, so a
// slow disk never holds up the servers. A file that would grow past nRotateBytes is kept
// as history.jsonl.1 (the one before as .2, the oldest goes) and a new one begun.
class CBootHistory {
public:
    // 4 MiB is some 10,000 records: weeks of a busy bench per file, and the three files
    // still read in a blink when the History view opens.
    static constexpr uint64_t kRotateBytes = 4u << 20;
    static constexpr int kKeepOld = 2;

    explicit CBootHistory(std::string strFolder, uint64_t nRotateBytes = kRotateBytes);
    // Writes what is still queued.
    ~CBootHistory();
    CBootHistory(const CBootHistory&) = delete;
    CBootHistory& operator=(const CBootHistory&) = delete;

    // Makes the folder and opens the file; false when it cannot, with Failure() saying why.
    bool Open();
    const std::string& Folder() const { return m_strFolder; }
    std::string Path() const { return HistoryPath(m_strFolder); }
    // Any thread: queued, written by the history's thread.
    void Add(const CBootRecord& rec);
    // Until every record added so far is on the disk, or has failed.
    void Flush();
    // Every record kept so far, those just added included.
    CHistoryContents Read();
    // The first failure to keep a record, as a sentence naming the file; empty while none.
    std::string Failure() const;

private:
    void Run();
    void Write(const std::string& strLine);
    void Fail(const char* pszWhat);

    const std::string m_strFolder;
    const uint64_t m_nRotateBytes;
    CLineFile m_file;  // the thread's alone once it runs
    mutable std::mutex m_lock;
    std::condition_variable m_cvQueued;
    std::condition_variable m_cvWritten;
    std::deque<std::string> m_queue;
    uint64_t m_nAdded = 0;
    uint64_t m_nDone = 0;
    bool m_bStop = false;
    std::string m_strFailure;
    std::thread m_thread;
};
