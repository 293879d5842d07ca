#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "app/BootRecord.h"
#include "base/BootEvents.h"
#include "base/Views.h"

class CBootHistory;

// Makes a boot record of every transfer from the engine's events, as they reach the UI
// thread: its start and end in local time, what it was about, the image it was sent and
// how it ended. Each record goes to the history; every transfer and server event can also
// be written out as a JSON line (--events).
class CBootRecorder : public IBootView {
public:
    // pHistory may be null (the history is not kept). fnNow gives the wall clock in seconds.
    explicit CBootRecorder(CBootHistory* pHistory, std::function<int64_t()> fnNow = nullptr);
    void SetHistory(CBootHistory* pHistory) { m_pHistory = pHistory; }

    // UI thread, every event in posting order.
    void OnBootEvent(const CBootEvent& event) override;
    // Transfers that ended since the servers last started.
    CRecordCounts SinceStart() const { return m_counts; }

    // Each record as it is made, and null when the servers start (the counts begin again).
    std::function<void(const CBootRecord*)> m_fnRecorded;
    // Each transfer and server event as one JSON object (the event stream).
    std::function<void(const CJsonObject&)> m_fnEvent;

private:
    void Start(const CTransferStarted& started);
    void End(const CUnitRef& unit, uint32_t nBytes, uint32_t dwElapsedMs, bool bCompleted,
             std::string strReason);
    CJsonObject Stamped(const char* pszEvent) const;
    static std::string Key(const CUnitRef& unit);

    CBootHistory* m_pHistory;
    std::function<int64_t()> m_fnNow;
    // What the servers were last started with: every record of their run names it.
    std::string m_strImage;
    uint64_t m_nImageSize = 0;
    std::string m_strSha256;
    std::map<std::string, int64_t> m_mapStarted;  // running transfers: when each began
    CRecordCounts m_counts;
};

// Why a transfer failed, as its record says it.
std::string FailureReason(EFailReason eReason, const std::string& strError);
