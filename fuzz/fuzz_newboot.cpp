// Arbitrary datagrams on the broadcast port: the decoder accepts exactly the announced
// shape, and the receiver logs one clean line for each and never stops serving on its own.
#include <cstdlib>
#include <cstring>

#include "net/NetBootServer.h"
#include "net/WireFormat.h"
#include "tests/EngineRig.h"

namespace {

void Check(bool b) {
    if (!b) std::abort();
}

bool IsCleanText(const std::string& str) {
    for (unsigned char c : str)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

void CheckDecoder(const uint8_t* pData, size_t nSize) {
    std::string strName;
    const bool bAccepted = DecodeNewbootBroadcast(pData, nSize, strName);
    const bool bShape = nSize >= NEWBOOT_MIN_LEN && nSize <= NEWBOOT_MAX_LEN &&
                        std::memcmp(pData, "newboot ", NEWBOOT_HEADER_LEN) == 0;
    Check(bAccepted == bShape);
    if (!bAccepted) return;
    Check(strName.size() <= nSize - NEWBOOT_HEADER_LEN);
    Check(IsCleanText(strName));
    // The name goes out again as it came in; a datagram of 258 bytes without a NUL
    // carries one byte of name more than a sender could announce.
    const std::vector<uint8_t> again = BuildNewbootBroadcast(strName);
    Check(again.size() == NEWBOOT_HEADER_LEN + strName.size() + 1);
    std::string strAgain;
    const bool bFits = again.size() <= NEWBOOT_MAX_LEN;
    Check(DecodeNewbootBroadcast(again.data(), again.size(), strAgain) == bFits);
    Check(!bFits || strAgain == strName);
}

void CheckReceiver(const uint8_t* pData, size_t nSize) {
    CEngineRig rig;
    CFakeNetworkInfo network;
    network.m_strHostName = "benchpc";
    rig.services.pNetwork = &network;
    rig.sys.front.bYes = nSize % 2 == 0;
    CNetBootServer net(rig.services, rig.config, rig.image, rig.transfers, rig.reporter,
                       rig.reports, rig.sys.front, [&net] { net.Stop(); });
    Check(net.CreateBroadcastSocket());
    CFakeSocket* pSocket = rig.sys.sockets.Bound(NEWBOOT_PORT);
    pSocket->m_incoming.push_back({std::vector<uint8_t>(pData, pData + nSize), {0x0A00000A, 100}});
    Check(rig.sys.poster.Send(pSocket->m_hWnd, pSocket->ReadNotice()));

    const std::vector<std::string> lines = rig.sys.poster.LogLines();
    Check(lines.size() <= 2);
    for (const auto& strLine : lines) Check(IsCleanText(strLine));
    if (nSize > BROADCAST_RECEIVE_BUFFER)
        Check(lines.size() == 1 && lines[0].rfind("Broadcast rx error: ", 0) == 0);
    Check(rig.sys.front.arrPrompts.size() <= 1);
    // Only a No to the one question stops the servers.
    Check(!pSocket->IsOpen() == (rig.sys.front.arrPrompts.size() == 1 && !rig.sys.front.bYes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    CheckDecoder(pData, nSize);
    CheckReceiver(pData, nSize);
    return 0;
}
