#include <algorithm>
#include <memory>

#include "base/Config.h"
#include "base/EventReporter.h"
#include "base/PlatformServices.h"
#include "image/TransferFile.h"
#include "platform/Clock.h"
#include "platform/Socket.h"
#include "serial/SerialBootServer.h"
#include "transfer/TransferNode.h"
#include "transfer/TransferReporter.h"
#include "transfer/TransferTable.h"

namespace {
constexpr uint32_t kBlockHv7 = 256;
constexpr uint32_t kBlockHv6 = 32768;
constexpr uint32_t kGoAheadMs = 10000;
constexpr int kGoAheadLimit = 255;
const uint8_t kLineFeed = '\n';
}  // namespace

bool CSerialBootServer::SerialDownload(CTransferSerial::CLine& port) {
    IClock& clock = *m_sys.pClock;
    port.SetState(SERIAL_STATE_DOWNLOADING);
    const uint32_t dwBegun = clock.GetTickCount();
    CUnitRef unit;
    unit.strName = port.Port();
    unit.bSerial = true;
    auto pOwned = std::make_unique<CTransferNode>(unit, dwBegun);
    CTransferNode* pNode = pOwned.get();
    port.SetTransfer(pNode);
    const int nSlot = m_transfers.Add(std::move(pOwned));
    m_reports.LogTransferMessage(nSlot, "Starting Transfer");
    m_reports.PostStatus(CTransferStarted{unit, m_image.Length()});

    // Takes the entry out of the list and destroys it, unless someone else already did.
    auto fnRelease = [&] {
        const CTakenTransfer gone = m_transfers.Remove(pNode);
        if (!gone) return;
        port.ClearTransfer(pNode);
    };
    // Other threads read the list's count for their progress and status posts.
    uint32_t nSent = 0;
    auto fnAdvance = [&](uint32_t n) {
        nSent += n;
        m_transfers.AddSent(pNode, n);
    };

    if (!m_image.BuildRecordIndex()) {
        m_reporter.LogMessage("Boot File is corrupt!");
        fnRelease();
        m_reports.PostStatus(CTransferFailed{
            unit, EFailReason::CorruptImage, {}, 0, clock.GetTickCount() - dwBegun});
        return false;
    }
    const bool bHv6 = m_config.m_nComProtocol != 0;
    const uint32_t nBlock = bHv6 ? kBlockHv6 : kBlockHv7;

    clock.Sleep(100);
    const uint32_t dwStart = clock.GetTickCount();
    if (bHv6) port.Write(&kLineFeed, 1);
    bool bResult = port.Write(m_image.Data(), CTransferFile::kImageHeaderSize);
    fnAdvance(CTransferFile::kImageHeaderSize);
    clock.Sleep(250);
    port.PurgeInput();

    int32_t nRecords = 0;
    for (size_t iRec = 0; iRec < m_image.RecordCount() && bResult; ++iRec) {
        const CTransferFileRecInfo& rec = m_image.Record(iRec);
        PostSerialFormat("\r\n<Record address = %08x  Record length  = %08u>", rec.Address(),
                         rec.Length());
        if (bHv6) {
            if (port.ReadLine(nullptr, kGoAheadLimit) <= 0) {
                bResult = false;
                break;
            }
            port.Write(&kLineFeed, 1);
        }
        bResult = port.Write(rec.Header(), CTransferFileRecInfo::kHeaderSize);
        if (!bResult) break;
        fnAdvance(CTransferFileRecInfo::kHeaderSize);
        if (rec.Address() == 0) {
            PostSerialFormat("\r\n<Entry point is %08x>", rec.Length());
            break;
        }
        for (uint32_t nOffset = 0; nOffset < rec.Length();) {
            if (port.WaitForChar('\n', kGoAheadMs, nullptr, kGoAheadLimit) <= 0) {
                bResult = false;
                break;
            }
            if (bHv6) port.Write(&kLineFeed, 1);
            const uint32_t n = std::min(rec.Length() - nOffset, nBlock);
            bResult = port.Write(rec.Data() + nOffset, static_cast<int>(n));
            fnAdvance(n);
            nOffset += n;
            m_reports.PostProgress(m_transfers.FindTransferSlot(pNode));
        }
        clock.Sleep(5);
        ++nRecords;
    }

    if (bResult) {
        port.SetState(SERIAL_STATE_DONE);
    } else {
        m_reports.LogTransferMessage(m_transfers.FindTransferSlot(pNode),
                                     "No response from unit (CR)");
        PostSerialFormat("\r\n<No response from unit (CR)>");
        port.SetState(SERIAL_STATE_FAILED);
    }
    const uint32_t dwSeconds = (clock.GetTickCount() - dwStart) / 1000;
    PostSerialFormat("\r\n<Processed %d records, %ld bytes.>", nRecords, long(nSent));
    PostSerialFormat("\r\n<Time= %ld seconds.>", long(dwSeconds));
    PostSerialFormat("\r\n<Overhead= %ld bytes.>", long(12 * nRecords + 15));
    // A download within its first second has no rate to show, and is no failure for that.
    if (dwSeconds != 0)
        PostSerialFormat("<\r\nRate= %ld bytes per second.>", long(nSent / dwSeconds));
    m_reports.LogTransferMessage(m_transfers.FindTransferSlot(pNode), "Transfer %s",
                                 bResult ? "Complete" : "Failed");
    fnRelease();
    const uint32_t dwElapsedMs = clock.GetTickCount() - dwBegun;
    if (bResult) {
        m_reports.PostStatus(CTransferCompleted{unit, nSent, dwElapsedMs});
    } else if (!port.IsOpen()) {  // the line failed: hung up, or the adapter pulled
        m_reports.PostStatus(CTransferFailed{unit, EFailReason::LineFailed,
                                             FormatErrorText(port.Failure()), nSent, dwElapsedMs});
    } else {  // still open: stopped with the servers, or no go-ahead came
        m_reports.PostStatus(
            CTransferFailed{unit,
                            port.Stopped() ? EFailReason::Halted : EFailReason::NoResponse,
                            {},
                            nSent,
                            dwElapsedMs});
    }
    return true;
}
