#include "app/BootHistory.h"

#include "base/FormatText.h"
#include "platform/LastError.h"

std::string HistoryPath(const std::string& strFolder) {
    return strFolder + "/history.jsonl";
}

CHistoryContents ReadHistory(const std::string& strFolder) {
    CHistoryContents contents;
    const std::string strPath = HistoryPath(strFolder);
    for (int i = CBootHistory::kKeepOld; i >= 0; --i) {
        const std::string strFile = i == 0 ? strPath : strPath + "." + std::to_string(i);
        std::vector<std::string> arrLines;
        if (!ReadLines(strFile, arrLines)) {
            contents.strError = strFile + ": " + FormatErrorText(GetLastError());
            continue;
        }
        for (const std::string& strLine : arrLines) {
            std::optional<CJsonObject> obj = ParseJsonObject(strLine);
            std::optional<CBootRecord> rec = obj ? RecordFromJson(*obj) : std::nullopt;
            if (rec)
                contents.arrRecords.push_back(std::move(*rec));
            else
                ++contents.nSkipped;
        }
    }
    return contents;
}

CBootHistory::CBootHistory(std::string strFolder, uint64_t nRotateBytes)
    : m_strFolder(std::move(strFolder)), m_nRotateBytes(nRotateBytes) {}

CBootHistory::~CBootHistory() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_bStop = true;
    }
    m_cvQueued.notify_one();
    if (m_thread.joinable()) m_thread.join();
}

bool CBootHistory::Open() {
    if (!m_file.Open(Path())) {
        Fail("cannot be opened");
        return false;
    }
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CBootHistory::Add(const CBootRecord& rec) {
    std::string strLine = RecordJson(rec).Line();
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_nAdded;
    if (!m_thread.joinable()) {
        ++m_nDone;  // never opened: Failure() tells why
        return;
    }
    m_queue.push_back(std::move(strLine));
    m_cvQueued.notify_one();
}

void CBootHistory::Flush() {
    std::unique_lock<std::mutex> guard(m_lock);
    m_cvWritten.wait(guard, [this] { return m_nDone == m_nAdded; });
}

CHistoryContents CBootHistory::Read() {
    Flush();
    return ReadHistory(m_strFolder);
}

std::string CBootHistory::Failure() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_strFailure;
}

void CBootHistory::Run() {
    std::unique_lock<std::mutex> guard(m_lock);
    for (;;) {
        m_cvQueued.wait(guard, [this] { return m_bStop || !m_queue.empty(); });
        if (m_queue.empty()) return;
        std::deque<std::string> batch;
        batch.swap(m_queue);
        guard.unlock();
        for (const std::string& strLine : batch) Write(strLine);
        // One sync for the lines that came together: each is whole in the file already.
        if (m_file.IsOpen() && !m_file.Sync()) Fail("cannot be written");
        guard.lock();
        m_nDone += batch.size();
        m_cvWritten.notify_all();
    }
}

void CBootHistory::Write(const std::string& strLine) {
    if (m_file.IsOpen() && m_file.Size() > 0 &&
        m_file.Size() + strLine.size() + 1 > m_nRotateBytes) {
        m_file.Close();
        if (!RotateFiles(Path(), kKeepOld)) Fail("cannot be rotated");
    }
    // After a failure the file is tried again for each record: the disk may have room again.
    if (!m_file.IsOpen() && !m_file.Open(Path())) {
        Fail("cannot be opened");
        return;
    }
    if (!m_file.Append(strLine)) Fail("cannot be written");
}

void CBootHistory::Fail(const char* pszWhat) {
    const std::string strText =
        "The boot history " + Path() + " " + pszWhat + ": " + FormatErrorText(GetLastError());
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_strFailure.empty()) m_strFailure = strText;
}
