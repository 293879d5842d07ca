#pragma once
// The engine's parts wired as the application wires them, over fakes, for the tests of one
// part: the settings, the image, the transfer list and the reporting to an attached view.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/Config.h"
#include "base/EventReporter.h"
#include "base/PlatformServices.h"
#include "image/TransferFile.h"
#include "tests/Fakes.h"
#include "tests/TestImage.h"
#include "transfer/TransferNode.h"
#include "transfer/TransferReporter.h"
#include "transfer/TransferTable.h"

struct CEngineRig {
    CEngineRig() {
        reporter.AttachView(&sys.view);
        reporter.AttachTerminal(&sys.view);
    }
    bool LoadImage(const std::vector<uint8_t>& bytes) {
        if (!pDir) pDir = std::make_unique<CTempDir>();
        return image.Load(WriteFile(pDir->Path("img.bin"), bytes), nullptr);
    }
    // A serial transfer in the list, as a download adds it.
    CTransferNode* AddSerialTransfer(const std::string& strPort) {
        CUnitRef unit;
        unit.strName = strPort;
        unit.bSerial = true;
        auto p = std::make_unique<CTransferNode>(unit, sys.clock.GetTickCount());
        CTransferNode* pRaw = p.get();
        transfers.Add(std::move(p));
        return pRaw;
    }

    std::vector<EBootStatus> StatusEvents() const {
        std::vector<EBootStatus> out;
        for (const auto& e : sys.poster.Events())
            if (const auto eStatus = StatusOf(e)) out.push_back(*eStatus);
        return out;
    }
    // The last event of type T posted so far.
    template <class T>
    std::optional<T> Last() const {
        const std::vector<T> arr = sys.poster.Of<T>();
        return arr.empty() ? std::nullopt : std::optional<T>(arr.back());
    }

    std::unique_ptr<CTempDir> pDir;
    CFakeSystem sys;
    CPlatformServices services = sys.Services();
    CORXBootConfig config;
    CTransferFile image;
    std::atomic<bool> bServersRunning{true};
    CTransferTable transfers;
    CEventReporter reporter{*services.pPoster};
    CTransferReporter reports{reporter, transfers, image, config};
};

// What a unit sends: 127.0.0.n in network byte order asks to be booted under its name.
inline CSockAddr Unit(uint8_t n, uint16_t wPort = 3000) {
    return {0x0000007Fu | uint32_t(n) << 24, wPort};
}
inline std::vector<uint8_t> BootRequest(const std::string& strName,
                                        const uint8_t (&prefix)[3] = {0x02, 0x4F, 0x52}) {
    std::vector<uint8_t> req(64, 0);
    std::memcpy(req.data(), "EDBG", 4);
    std::memcpy(req.data() + 10, prefix, 3);
    std::memcpy(req.data() + 37, strName.data(), std::min<size_t>(strName.size(), 27));
    return req;
}
// What the server sends before the image's blocks, and after them.
const std::vector<uint8_t> kWriteRequest = Bytes(std::string("\0\2boot.bin\0octet", 17));
const std::vector<uint8_t> kJump = {'E', 'D', 'B', 'G', 0xFF, 0x01, 0x00, 0x02, 0x00};
