#pragma once
// Carries out the decisions of any number of unit sessions on real sockets.
#include <memory>
#include <vector>

#include "tools/orxunit/UnitSession.h"
#include "tools/orxunit/UnitSocket.h"

namespace orxunit {

struct CUnitSlot {
    std::unique_ptr<IUnitSession> pSession;
    uint32_t dwBindAddr = 0;  // network byte order
    uint16_t wBindPort = 0;   // 0: an ephemeral port
    std::unique_ptr<CUnitSocket> pSocket;
};

// Returns when every session has finished.
void RunUnitLoop(std::vector<CUnitSlot>& arrSlots);

}  // namespace orxunit
