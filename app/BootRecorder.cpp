#include "app/BootRecorder.h"

#include <cstdio>

#include "app/BootHistory.h"
#include "platform/LocalTime.h"
#include "platform/Socket.h"

namespace {
std::string MacText(const CUnitRef& unit) {
    if (!unit.mac) return {};
    char sz[18];
    const auto& m = *unit.mac;
    std::snprintf(sz, sizeof sz, "%02x:%02x:%02x:%02x:%02x:%02x", m[0], m[1], m[2], m[3], m[4],
                  m[5]);
    return sz;
}

std::string IpText(const CUnitRef& unit) {
    return unit.bSerial ? std::string() : DottedAddress(unit.dwAddr);
}

// A serial transfer is known by its port.
std::string MethodOf(const CUnitRef& unit) {
    return unit.bSerial ? unit.strName : "NET";
}
}  // namespace

std::string FailureReason(EFailReason eReason, const std::string& strError) {
    switch (eReason) {
        case EFailReason::NoAcknowledgement:
            return "no acknowledgement after four resends";
        case EFailReason::NoResponse:
            return "no response from the unit";
        case EFailReason::LineFailed:
            return strError.empty() ? "line hung up" : "line hung up: " + strError;
        case EFailReason::Halted:
            return "halted: the servers were stopped";
        case EFailReason::CorruptImage:
            return "corrupt image";
        case EFailReason::Displaced:
            return "silent, ended to make way for another unit";
    }
    return "failed";
}

CBootRecorder::CBootRecorder(CBootHistory* pHistory, std::function<int64_t()> fnNow)
    : m_pHistory(pHistory), m_fnNow(fnNow ? std::move(fnNow) : WallClockSeconds) {}

std::string CBootRecorder::Key(const CUnitRef& unit) {
    return (unit.bSerial ? "serial " : "net ") + unit.strName + " " + std::to_string(unit.dwAddr);
}

CJsonObject CBootRecorder::Stamped(const char* pszEvent) const {
    CJsonObject obj;
    obj.Add("event", pszEvent).Add("time", LocalTimeText(m_fnNow()));
    return obj;
}

void CBootRecorder::OnBootEvent(const CBootEvent& event) {
    std::visit(
        COverloaded{
            [this](const CServersStarted& e) {
                m_strImage = e.strBootFile;
                m_nImageSize = e.nImageBytes;
                m_strSha256 = e.strSha256;
                m_counts = {};
                m_mapStarted.clear();
                if (m_fnRecorded) m_fnRecorded(nullptr);
                if (!m_fnEvent) return;
                std::string strPorts;
                for (const std::string& strPort : e.arrPorts)
                    strPorts += (strPorts.empty() ? "" : " ") + strPort;
                CJsonObject obj = Stamped("servers-started");
                obj.AddBool("net", e.bNet).AddBool("serial", e.bSerial).Add("ports", strPorts);
                obj.Add("image", m_strImage).Add("image_size", m_nImageSize);
                m_fnEvent(obj.Add("sha256", m_strSha256));
            },
            [this](const CServersHalted&) {
                m_mapStarted.clear();
                if (m_fnEvent) m_fnEvent(Stamped("servers-halted"));
            },
            [this](const CTransferStarted& e) { Start(e); },
            [this](const CTransferCompleted& e) { End(e.unit, e.nBytes, e.dwElapsedMs, true, {}); },
            [this](const CTransferFailed& e) {
                End(e.unit, e.nBytes, e.dwElapsedMs, false, FailureReason(e.eReason, e.strError));
            },
            [this](const CTransferHalted& e) {
                End(e.unit, e.nBytes, e.dwElapsedMs, false, FailureReason(EFailReason::Halted, {}));
            },
            [this](const COtherServerSeen& e) {
                if (!m_fnEvent) return;
                CJsonObject obj = Stamped("other-server");
                m_fnEvent(obj.Add("server", e.strServer).Add("ip", DottedAddress(e.dwAddr)));
            },
            [](const auto&) {},
        },
        event);
}

void CBootRecorder::Start(const CTransferStarted& started) {
    m_mapStarted[Key(started.unit)] = m_fnNow();
    if (!m_fnEvent) return;
    CJsonObject obj = Stamped("transfer-started");
    obj.Add("unit", started.unit.strName).Add("method", MethodOf(started.unit));
    obj.AddText("ip", IpText(started.unit)).AddText("mac", MacText(started.unit));
    m_fnEvent(obj);
}

void CBootRecorder::End(const CUnitRef& unit, uint32_t nBytes, uint32_t dwElapsedMs,
                        bool bCompleted, std::string strReason) {
    const int64_t tEnd = m_fnNow();
    const auto it = m_mapStarted.find(Key(unit));
    // A start that was not seen (the view came later) is known from the elapsed time.
    const int64_t tStart = it != m_mapStarted.end() ? it->second : tEnd - dwElapsedMs / 1000;
    if (it != m_mapStarted.end()) m_mapStarted.erase(it);
    CBootRecord rec;
    rec.strStart = LocalTimeText(tStart);
    rec.strEnd = LocalTimeText(tEnd);
    rec.strUnit = unit.strName;
    rec.strMethod = MethodOf(unit);
    rec.strIp = IpText(unit);
    rec.strMac = MacText(unit);
    rec.strImage = m_strImage;
    rec.nImageSize = m_nImageSize;
    rec.strSha256 = m_strSha256;
    rec.nBytesSent = nBytes;
    rec.nDurationMs = dwElapsedMs;
    rec.bCompleted = bCompleted;
    rec.strReason = std::move(strReason);
    ++(bCompleted ? m_counts.nCompleted : m_counts.nFailed);
    if (m_pHistory) m_pHistory->Add(rec);
    if (m_fnEvent) {
        CJsonObject obj;
        obj.Add("event", bCompleted ? "transfer-completed" : "transfer-failed");
        obj.Add("time", rec.strEnd);
        const CJsonObject record = RecordJson(rec);
        for (const auto& [strKey, value] : record.Members()) obj.AddRaw(strKey, value);
        m_fnEvent(obj);
    }
    if (m_fnRecorded) m_fnRecorded(&rec);
}
