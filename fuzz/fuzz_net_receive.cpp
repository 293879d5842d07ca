// The boot server's receive path over a sequence of datagrams from four units, mixed
// with retransmit timer ticks. Whatever arrives, every packet sent is a write request,
// a jump, or a data block that holds exactly the image's bytes for its block number;
// no address has two transfers and no transfer counts past the image's end.
//
// Input: one settings byte (bit 6: at most two transfers at once), then records. A record's
// control byte c:
//   c >> 6 == 0 or 1: a datagram from unit (c & 3), port 3000 + ((c >> 2) & 3), whose
//                     length is the next byte (times 6 when c & 0x10, to pass 1446);
//   c >> 6 == 2:      (c & 0x3F) x 250 ms pass, then the retransmit timer fires;
//   c >> 6 == 3:      (c & 0x3F) x 1000 ms pass without a timer.
#include <cstdlib>
#include <cstring>

#include "net/NetBootServer.h"
#include "tests/EngineRig.h"
#include "transfer/TransferNode.h"

namespace {
constexpr size_t kImageLength = 1300;
const std::vector<uint8_t> kImage = MakeImageBytes(kImageLength);

void Check(bool b) {
    if (!b) std::abort();
}

void CheckSent(CFakeSocket& socket) {
    for (const CDatagram& d : socket.m_sent) {
        Check((d.addr.dwAddr & 0x00FFFFFFu) == 0x7Fu && (d.addr.dwAddr >> 24) - 20u < 4u);
        const std::vector<uint8_t>& p = d.bytes;
        if (p == kWriteRequest || p == kJump) continue;
        Check(p.size() >= 5 && p.size() <= 516 && p[0] == 0 && p[1] == 3);
        const size_t nBlock = size_t(p[2]) << 8 | p[3];
        Check(nBlock >= 1);
        const size_t nOffset = (nBlock - 1) * 512;
        Check(nOffset < kImageLength);
        Check(p.size() - 4 == std::min<size_t>(512, kImageLength - nOffset));
        Check(std::memcmp(p.data() + 4, kImage.data() + nOffset, p.size() - 4) == 0);
    }
    socket.m_sent.clear();
}

void CheckTransfers(CTransferTable& transfers) {
    const std::vector<CTransferRow> arr = transfers.Rows();
    Check(arr.size() <= 4);
    for (size_t i = 0; i < arr.size(); ++i) {
        Check(arr[i].nSent <= kImageLength);
        for (size_t j = i + 1; j < arr.size(); ++j) Check(arr[i].unit.dwAddr != arr[j].unit.dwAddr);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    if (nSize == 0) return 0;
    CEngineRig rig;
    CNetBootServer net(rig.services, rig.config, rig.image, rig.transfers, rig.reporter,
                       rig.reports, rig.sys.front, [] {});
    rig.config.m_nNetType = 1;
    const uint8_t settings = pData[0];
    rig.config.m_bNetCache = settings & 1;
    rig.config.m_bTranCloseDone = settings & 2;
    rig.config.m_strNetNode = (settings & 4) ? "ORXHV7410" : "";
    rig.sys.process.m_bFailStart = ((settings >> 3) & 3) == 2;
    rig.sys.process.m_result = ((settings >> 3) & 1) ? ERunResult::TimedOut : ERunResult::Finished;
    Check(rig.LoadImage(kImage));
    std::string strFailure;
    Check(net.Start(strFailure));
    rig.config.m_nNetType = (settings >> 5) & 1;  // no broadcast socket needed for this
    if ((settings >> 6) & 1) net.SetMaxTransfers(2);
    CFakeSocket* pServer = rig.sys.sockets.Bound(BOOT_SERVER_PORT);
    Check(pServer != nullptr);

    size_t nPos = 1;
    while (nPos < nSize) {
        const uint8_t c = pData[nPos++];
        if (c >> 6 == 2) {
            rig.sys.clock.Sleep((c & 0x3Fu) * 250u);
            rig.sys.timers.Fire(rig.sys.poster, TIMER_RETRANSMIT);
        } else if (c >> 6 == 3) {
            rig.sys.clock.Sleep((c & 0x3Fu) * 1000u);
        } else {
            if (nPos >= nSize) break;
            size_t nLen = pData[nPos++];
            if (c & 0x10) nLen *= 6;
            nLen = std::min(nLen, nSize - nPos);
            pServer->m_incoming.push_back(
                {std::vector<uint8_t>(pData + nPos, pData + nPos + nLen),
                 Unit(20 + (c & 3), static_cast<uint16_t>(3000 + ((c >> 2) & 3)))});
            nPos += nLen;
            Check(rig.sys.poster.Send(pServer->m_hWnd, pServer->ReadNotice()));
        }
        rig.sys.process.EndAll();
        rig.sys.poster.DeliverPending();
        CheckSent(*pServer);
        CheckTransfers(rig.transfers);
    }
    net.Stop();
    while (CTakenTransfer p = rig.transfers.TakeFirst()) net.DestroyTransfer(std::move(p.pNode));
    return 0;
}
