#pragma once
// An application wired to fakes with a serial factory, a terminal window and images.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/ORXBootApp.h"
#include "serial/TransferSerial.h"
#include "tests/FakeSerial.h"
#include "tests/Fakes.h"
#include "tests/ImageRecords.h"

struct CSerialTestApp {
    // With bRealClock the application and the devices use real time (threaded tests).
    explicit CSerialTestApp(bool bRealClock = false)
        : bReal(bRealClock), serial(bRealClock ? nullptr : &sys.clock), app(Services()) {
        app.AttachView(&sys.view);
        app.AttachTerminal(&sys.view);
        app.m_bServersRunning = true;
        app.m_bSocketsAvailable = true;
        serial.m_present = {"COM1", "COM2", "COM3"};
    }
    bool bReal;
    CFakeSystem sys;
    CSystemClock realClock;
    CFakeSerialFactory serial;
    CORXBootApp app;
    std::string strImagePath;

    ~CSerialTestApp() {
        if (!strImagePath.empty()) unlink(strImagePath.c_str());
    }
    CPlatformServices Services() {
        CPlatformServices s = sys.Services();
        s.pSerialPorts = &serial;
        if (bReal) s.pClock = &realClock;
        return s;
    }
    // Loads the bytes as the boot image.
    bool LoadImage(const std::vector<uint8_t>& bytes) {
        if (strImagePath.empty()) {
            char szPath[] = "/tmp/orx_serial_test_XXXXXX";
            const int fd = mkstemp(szPath);
            if (fd < 0) return false;
            close(fd);
            strImagePath = szPath;
        }
        FILE* f = std::fopen(strImagePath.c_str(), "wb");
        if (!f) return false;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return app.m_file.Load(strImagePath, nullptr);
    }
    // Everything posted to the terminal window, joined.
    std::string TerminalText() const {
        std::string str;
        for (const auto& m : sys.poster.Messages(WM_SERIAL_TEXT))
            str.append(m.bytes.begin(), m.bytes.end());
        return str;
    }
    std::vector<std::string> TerminalChunks() const {
        std::vector<std::string> out;
        for (const auto& m : sys.poster.Messages(WM_SERIAL_TEXT))
            out.emplace_back(m.bytes.begin(), m.bytes.end());
        return out;
    }
    // The status event codes posted so far, in order.
    std::vector<int64_t> StatusEvents() const {
        std::vector<int64_t> out;
        for (const auto& m : sys.poster.Messages(WM_BOOT_TEXT))
            if (m.wParam < BOOT_SLOT_LOG) out.push_back(m.wParam);
        return out;
    }
};
