#pragma once
#include "base/BootEvents.h"
#include "base/EventReporter.h"
#include "base/FormatText.h"

class CORXBootConfig;
class CTransferFile;
class CTransferTable;

// The reports about transfers: lines under a transfer's name, its progress, and the status
// events that redraw every slot first. Callable from any thread; each reads the transfer
// list under its lock.
class CTransferReporter {
public:
    CTransferReporter(CEventReporter& events, CTransferTable& transfers, const CTransferFile& image,
                      const CORXBootConfig& config);
    CTransferReporter(const CTransferReporter&) = delete;
    CTransferReporter& operator=(const CTransferReporter&) = delete;

    // A log line under the name of the transfer in the slot; nothing for a slot not in use.
    void LogTransferMessage(int nSlot, const char* pszFormat, ...) ORX_PRINTF(3, 4);
    // The slot's percent when it changed since the transfer's last report; -1 for a slot
    // without a transfer.
    void PostProgress(int nSlot);
    // Every visible slot's label and progress, then the status event; the last transfer's
    // completion closes the face when TRANCLOSEDONE is set.
    void PostStatus(CBootEvent event);

private:
    CEventReporter& m_events;
    CTransferTable& m_transfers;
    const CTransferFile& m_image;
    const CORXBootConfig& m_config;
};
