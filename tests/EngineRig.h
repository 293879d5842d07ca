#pragma once
// The engine's parts wired as the application wires them, over fakes, for the tests of one
// part: the settings, the image, the transfer list and the reporting to an attached view.
#include <atomic>
#include <memory>
#include <vector>

#include "app/Config.h"
#include "app/EventReporter.h"
#include "app/PlatformServices.h"
#include "image/TransferFile.h"
#include "server/TransferTable.h"
#include "tests/Fakes.h"
#include "tests/TestImage.h"

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
        auto p = std::make_unique<CTransferNode>(CSockAddr{INADDR_ALL_ONES, 0}, strPort, sys.clock);
        CTransferNode* pRaw = p.get();
        transfers.Add(std::move(p));
        return pRaw;
    }

    std::unique_ptr<CTempDir> pDir;
    CFakeSystem sys;
    CPlatformServices services = sys.Services();
    CORXBootConfig config;
    CTransferFile image;
    std::atomic<bool> bServersRunning{true};
    CTransferTable transfers;
    CEventReporter reporter{*services.pPoster, transfers, image, config, bServersRunning};
};
